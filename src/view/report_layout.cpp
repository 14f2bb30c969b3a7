#include "view/report_layout.h"

#include "view/report_geometry.h"

namespace tarvella {
namespace {

constexpr std::string_view kArial = "Arial";
constexpr ReportFont kRowFont{kArial, 250, 16, 6};
constexpr ReportFont kNoteFont{kArial, 250, 15, 6};
constexpr ReportFont kEventDataFont{kArial, 250, 19, 7};
constexpr ReportFont kPathFont{kArial, 350, 18, 7};
constexpr Rgb kHeadingColour{0, 100, 40};
constexpr Rgb kNoteColour{90, 20, 80};
constexpr Rgb kLabelColour{0, 0, 240};
constexpr Rgb kInstantColour{200, 0, 0};
constexpr Rgb kPositionColour{190, 90, 60};
constexpr Rgb kEventDataColour{30, 20, 100};
constexpr int kAllDown = 800;  // bottom of every text box
constexpr int kWide = 1300;    // right edge of the texts that are not centred
constexpr const ReportGeometry& g = kReportGeometry;

struct Drawing {
    ReportCanvas& canvas;
    const PrintState& print;
    void Text(std::string_view text, TextRect rect, int align, const ReportFont& font,
              Rgb colour) const {
        DrawReportText(canvas, print, text, rect, align, font, colour);
    }
    void Boundary(int x, int y, const BoundaryTexts& b, int shift) const {
        Text(b.when, {x, y, kWide, kAllDown}, kAlignLeft, kRowFont, kInstantColour);
        Text(b.position, {x + g.positionOffset + shift, y, kWide, kAllDown}, kAlignLeft, kRowFont,
             kPositionColour);
    }
};

void DrawPeriodReport(const Drawing& d, const ReportModel& report) {
    const ChartData& c = report.chart;
    const bool printing = d.print.printing;
    const int y0 = printing ? 48 : 8;
    const int left = g.columnLeft, right = g.columnRight;

    if (printing) {
        d.Text(PeriodHeading(report.precise), {left, 8, right, kAllDown}, kAlignCentre,
               {kArial, 250, 24, 8}, kHeadingColour);
    }
    d.Text(CaptionText(c), {left, y0, right, kAllDown}, kAlignCentre, {kArial, 350, 20, 7},
           {0, 100, 100});
    d.Text(ZoneLineText(c), {left, y0 + 32, right, kAllDown}, kAlignCentre, kNoteFont, kNoteColour);
    const TextRect noteRect{left, y0 + 48, right, kAllDown};
    d.Text(printing ? BirthLineText(c) : HintText(c.level), noteRect, kAlignCentre, kNoteFont,
           kNoteColour);

    const std::array<BoundaryTexts, 13> b =
        FormatBoundaries(report.division, report.seconds, report.precise);
    const int shift =
        report.seconds ? g.secondsWidth + (report.precise ? g.hundredthsWidth : 0) : 0;
    for (int k = 0; k < g.rows; ++k) {
        const int y = g.RowTop(k, printing);
        const auto row = static_cast<std::size_t>(k);
        d.Text(RowLabels[row], {g.labelLeft, y, kWide, kAllDown}, kAlignLeft, kRowFont,
               kLabelColour);
        d.Boundary(g.startLeft, y, b[row], shift);
        d.Text(" - ", {g.dashLeft + shift, y, kWide, kAllDown}, kAlignLeft, kRowFont, kLabelColour);
        d.Boundary(g.endLeft + 2 * shift, y, b[row + 1], shift);
    }

    if (!printing && c.level > 1) {
        d.Text(kLevelUpText, {left, g.RowTop(g.linkSlot, false), right, kAllDown}, kAlignCentre,
               {kArial, 500, 20, 8}, {140, 0, 140});
    }
}

void DrawEventReport(const Drawing& d, const ReportModel& report) {
    d.Text(EventHeading(report.precise), {30, 50, kWide, kAllDown}, kAlignLeft,
           {kArial, 350, 30, 10}, kHeadingColour);
    const std::array<std::string, 3> blocks = EventDataTexts(report.chart);
    const int tops[] = {110, 142, 194};
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        d.Text(blocks[i], {50, tops[i], 450, kAllDown}, kAlignCentre, kEventDataFont,
               kEventDataColour);
    }
    const std::vector<std::string> path = EventPathTexts(report.event);
    for (std::size_t i = 0; i < path.size(); ++i) {
        d.Text(path[i], {g.PathColumnLeft(static_cast<int>(i)), g.pathTop, kWide, kAllDown},
               kAlignLeft, kPathFont, kInstantColour);
    }
    if (report.event.Complete()) return;
    // The error takes the place of the first tier not found.
    d.Text(kEventErrorText,
           {g.PathColumnLeft(static_cast<int>(path.size())), g.pathTop, kWide, kAllDown},
           kAlignLeft, {"Courier New", 350, 30, 10}, kInstantColour);
}

}  // namespace

void DrawReportModel(ReportCanvas& canvas, const PrintState& print, const ReportModel& report) {
    const Drawing d{canvas, print};
    if (report.IsEvent()) {
        DrawEventReport(d, report);
    } else {
        DrawPeriodReport(d, report);
    }
}

std::string DrawReport(ReportCanvas& canvas, const PrintState& print, SunContext& sun,
                       ChartData& chart) {
    const ReportModel report = BuildReport(sun, chart);
    ApplyReport(chart, report);
    DrawReportModel(canvas, print, report);
    return ReportText(report);
}

}  // namespace tarvella
