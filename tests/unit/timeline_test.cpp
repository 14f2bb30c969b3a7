#include "view/timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/report_model.h"
#include "test_support.h"
#include "view/navigation.h"
#include "view/period_export.h"
#include "view/period_status.h"
#include "view/svg_canvas.h"

namespace tarvella {
namespace {

double Iso(const char* text) {
    double s = NAN;
    EXPECT_TRUE(ParseIsoInstant(text, s)) << text;
    return s;
}

int Clamped(const TimelineView& v, double seconds) {
    return std::clamp(TimelineX(v, seconds), kTimelineGutter, v.width);
}

class Timeline : public ::testing::Test {
  protected:
    // The default chart (event zone 4 h west) at a level, with an MD of `years` from `start`.
    ChartData Chart(int level, int years = 1, int start = 1999) {
        ChartData c = test::DefaultChartAt(sun_, level);
        c.dasaYears = years;
        c.dasaStartYear = start;
        return c;
    }
    Ayanamsa ayanamsa_;
    SunContext sun_{test::GeneratedTable(), ayanamsa_};
};

// Every band's edges are its tree instants at the pixel, each drawn tier tiles the MD's part of
// the range, and a tier too fine to draw is one summary.
TEST_F(Timeline, BandEdgesAreTheTreesInstantsAndTiersTileTheRange) {
    struct Case {
        int years, start;
        const char *from, *to;  // nullptr: the whole MD
        int deepest;            // the deepest tier drawn
    };
    const Case cases[] = {{1, 1999, nullptr, nullptr, 2},
                          {12, 1990, nullptr, nullptr, 2},
                          {1, 1999, "1999-08-22T04:00Z", "1999-08-23T04:00Z", 4},
                          {1, 1999, "1999-08-22T15:00Z", "1999-08-22T16:00Z", 5},
                          {12, 2093, "2099-10-01", "2100-01-01", 3},
                          {12, 2093, nullptr, nullptr, 2}};
    for (const Case& c : cases) {
        const ChartData chart = Chart(4, c.years, c.start);
        const TimelineLimits limits = LimitsOf(sun_, chart);
        TimelineView view = WholeMdView(limits, 1200);
        if (c.from) view = ClampView({Iso(c.from), Iso(c.to), 1200}, limits);
        SCOPED_TRACE(::testing::Message() << c.years << " y " << c.start << " " << view.from);
        EXPECT_LE(view.to, Iso("2100-01-01"));
        const TimelineLayout layout = LayoutTimeline(sun_, chart, view, 0.0, false);
        // The tree's own periods over the range, tier by tier.
        struct Seen {
            std::array<int, kTreeTiers> path;
            Boundary start, end;
        };
        std::array<std::vector<Seen>, kTimelineTiers> want;
        VisitPeriods(sun_, chart, c.deepest, [&](const PeriodRow& r) {
            const double middle = (layout.md.start.longitude + layout.md.end.longitude) / 2;
            if (BoundarySeconds(*r.end, middle) > view.from &&
                BoundarySeconds(*r.start, middle) < view.to) {
                want[static_cast<std::size_t>(r.tier)].push_back({r.path, *r.start, *r.end});
            }
            return true;
        });
        for (const TimelineRow& row : layout.rows) {
            SCOPED_TRACE(row.tier);
            EXPECT_EQ(row.summarised, row.tier > c.deepest);
            if (row.summarised) {
                EXPECT_TRUE(row.bands.empty());
                continue;
            }
            const int left = Clamped(view, layout.md.startSeconds);
            const int right = Clamped(view, layout.md.endSeconds);
            ASSERT_FALSE(row.bands.empty());
            EXPECT_EQ(row.bands.front().left, left);
            EXPECT_EQ(row.bands.back().right, right);
            if (row.tier > 0) {
                ASSERT_EQ(row.bands.size(), want[row.tier].size());
            }
            for (std::size_t i = 0; i < row.bands.size(); ++i) {
                const TimelineBand& b = row.bands[i];
                if (i > 0) {
                    EXPECT_EQ(b.left, row.bands[i - 1].right);
                }
                EXPECT_LE(b.left, b.right);
                if (row.tier == 0) continue;
                EXPECT_EQ(b.period.path, want[row.tier][i].path);
                EXPECT_EQ(b.period.start.longitude, want[row.tier][i].start.longitude);
                EXPECT_EQ(b.period.start.found, want[row.tier][i].start.found);
                if (b.period.start.found) {
                    EXPECT_EQ(b.left, Clamped(view, SecondsOf(want[row.tier][i].start.ut)));
                }
                if (b.period.end.found) {
                    EXPECT_EQ(b.right, Clamped(view, SecondsOf(want[row.tier][i].end.ut)));
                }
            }
        }
    }
}

TEST_F(Timeline, PresentAndEventLinesLieWhereTheirInstantsMap) {
    const ChartData chart = Chart(4);
    double event = 0.0;
    ASSERT_TRUE(MomentSeconds(chart.event, chart.eventZone, event));
    EXPECT_EQ(IsoUtcText(event), "1999-08-22T16:10:00Z");  // 12:10 four hours west
    const double now = Iso("1999-08-22T15:48:30Z");
    const TimelineView view{Iso("1999-08-22T15:00Z"), Iso("1999-08-22T17:00Z"), 1200};
    const TimelineLayout layout = LayoutTimeline(sun_, chart, view, now, true);
    EXPECT_TRUE(layout.now.shown);
    EXPECT_EQ(layout.now.x, TimelineX(view, now));
    EXPECT_EQ(layout.now.label, "Now 22 Aug 1999, 11:48:30");
    EXPECT_TRUE(layout.event.shown);
    EXPECT_EQ(layout.event.x, TimelineX(view, event));
    RecordingCanvas canvas;
    DrawTimeline(canvas, layout);
    int lines = 0;
    for (const DrawnLine& l : canvas.lines) {
        if (l.x0 == layout.now.x && l.colour == Rgb{200, 0, 0}) ++lines;
        if (l.x0 == layout.event.x && l.colour == Rgb{0, 0, 200}) ++lines;
    }
    EXPECT_EQ(lines, 2);
    int labels = 0;
    for (const DrawnText& t : canvas.texts) {
        labels += t.text == layout.now.label || t.text == "Event 22 Aug 1999, 12:10:00";
    }
    EXPECT_EQ(labels, 2);
    // Every band drawn is a rectangle titled with its period; the summarised row one more.
    std::size_t bands = 0;
    for (const TimelineRow& row : layout.rows) bands += row.summarised ? 1 : row.bands.size();
    EXPECT_EQ(canvas.rects.size(), bands + 1);  // and the background
    // Outside the range neither is drawn.
    const TimelineLayout later =
        LayoutTimeline(sun_, chart, {event + 60, event + 3600, 1200}, now, false);
    EXPECT_FALSE(later.now.shown);
    EXPECT_FALSE(later.event.shown);
}

TEST_F(Timeline, AxisTicksAndLabelsAdaptToTheRangeInTheEventsZone) {
    struct Case {
        const char *from, *to;
        TimelineScale scale;
        int step;
        std::size_t ticks;
        const char *first, *second;
    };
    const Case cases[] = {
        {"1990-01-01T04:00Z", "2000-01-01T04:00Z", TimelineScale::Years, 1, 10, "1990", "1991"},
        {"1999-01-01T04:00Z", "2000-01-01T04:00Z", TimelineScale::Months, 1, 12, "Jan 1999",
         "Feb 1999"},
        {"1999-08-01T04:00Z", "1999-08-11T04:00Z", TimelineScale::Days, 1, 10, "1 Aug 1999",
         "2 Aug 1999"},
        {"1999-08-22T04:00Z", "1999-08-23T04:00Z", TimelineScale::Hours, 2, 12, "22 Aug", "02:00"},
        {"1999-08-22T15:00Z", "1999-08-22T16:00Z", TimelineScale::Minutes, 5, 12, "11:00", "11:05"},
        {"1999-08-23T03:55Z", "1999-08-23T04:05Z", TimelineScale::Minutes, 1, 10, "23:55", "23:56"},
    };
    const ChartData chart = Chart(1, 12, 1990);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        const TimelineView view{Iso(c.from), Iso(c.to), 1200};
        const TimelineLayout layout = LayoutTimeline(sun_, chart, view, 0.0, false);
        const TimelineAxis& axis = layout.axis;
        EXPECT_EQ(axis.scale, c.scale);
        EXPECT_EQ(axis.step, c.step);
        ASSERT_EQ(axis.ticks.size(), c.ticks);
        EXPECT_EQ(axis.ticks[0].label, c.first);
        EXPECT_EQ(axis.ticks[1].label, c.second);
        for (const TimelineTick& t : axis.ticks) EXPECT_EQ(t.x, TimelineX(view, t.seconds));
        EXPECT_GE(axis.ticks[1].x - axis.ticks[0].x, 90);
    }
    // Midnight names its day among the minutes.
    const TimelineLayout midnight = LayoutTimeline(
        sun_, chart, {Iso("1999-08-23T03:55Z"), Iso("1999-08-23T04:05Z"), 1200}, 0.0, false);
    EXPECT_EQ(midnight.axis.ticks[5].label, "23 Aug");
    EXPECT_EQ(midnight.axis.caption, "22 Aug 1999, 23:55 to 23 Aug 1999, 00:05, local time -04:00");
}

// A click on a band does what a click on its row does in the report that shows its period, and
// pointing at it says what the report's status bar says of that row.
TEST_F(Timeline, ClickAndStatusOfABandAreThoseOfTheReportsRow) {
    for (int level : {1, 3, 5, kEventLevel}) {
        const ChartData chart = Chart(level);
        const TimelineView view{Iso("1999-08-22T15:00Z"), Iso("1999-08-22T16:00Z"), 1200};
        const TimelineLayout layout = LayoutTimeline(sun_, chart, view, 0.0, false);
        for (const TimelineRow& row : layout.rows) {
            for (const TimelineBand& band : row.bands) {
                const TimelinePeriod& p = band.period;
                SCOPED_TRACE(::testing::Message() << level << " " << PathText(RowOf(p)));
                const ChartData clicked = ChartOfClick(chart, p);
                if (p.tier == 0) {
                    EXPECT_EQ(clicked.level, 1);
                    EXPECT_TRUE(BandStatusText(sun_, chart, p, false).starts_with("MD: "));
                    continue;
                }
                // The report that shows the period, its row at the pointer, and the click there.
                ChartData report = ReportChartOf(chart, RowOf(p));
                const ReportModel model = BuildReport(sun_, report);
                const int k = p.path[static_cast<std::size_t>(p.tier - 1)];
                EXPECT_EQ(model.division.boundaries[k].ut.hour, p.start.ut.hour);
                EXPECT_EQ(model.division.boundaries[k + 1].ut.hour, p.end.ut.hour);
                const int hit = RowAtPoint({100, 90 + 24 * k + 5}, report.level);
                ApplyRowClick(report, hit);
                EXPECT_EQ(PathOf(clicked), PathOf(report));
                EXPECT_EQ(BandStatusText(sun_, chart, p, true), RowStatusText(
                                                                    sun_,
                                                                    [&] {
                                                                        ReportModel m = model;
                                                                        m.seconds = true;
                                                                        return m;
                                                                    }(),
                                                                    k));
                // The band under the pointer is the band.
                const int x = (band.left + band.right) / 2;
                if (band.right > band.left) {
                    EXPECT_EQ(BandAt(layout, x, row.rect.top + 3), &band);
                }
            }
        }
        EXPECT_EQ(BandAt(layout, 10, layout.rows[1].rect.top + 3), nullptr);
        EXPECT_EQ(BandAt(layout, 600, 5), nullptr);
    }
    // The report's marks: at level 4 the PADs of 5.6.10, with the MD, 5th AD, 6th PD, 10th SD
    // above them on the path.
    const TimelineLayout marked = LayoutTimeline(
        sun_, Chart(4), {Iso("1999-08-22T04:00Z"), Iso("1999-08-23T04:00Z"), 1200}, 0.0, false);
    int shown = 0, onPath = 0;
    for (const TimelineRow& row : marked.rows) {
        for (const TimelineBand& b : row.bands) {
            shown += b.shown;
            onPath += b.onPath;
            if (b.shown) {
                EXPECT_EQ(PathText(RowOf(b.period)).rfind("5.6.10.", 0), 0u);
            }
        }
    }
    EXPECT_EQ(shown, 12);
    EXPECT_EQ(onPath, 4);
    // Over the whole MD the PADs are a summary, and the report's twelve are one span of it, from
    // the first one's start to the last one's end.
    const ReportModel report = BuildReport(sun_, Chart(4));
    const TimelineView whole = WholeMdView(LimitsOf(sun_, Chart(4)), 1200);
    const TimelineLayout overview = LayoutTimeline(sun_, Chart(4), whole, 0.0, false);
    const TimelineRow& pads = overview.rows[4];
    ASSERT_TRUE(pads.summarised);
    EXPECT_EQ(pads.shownLeft, TimelineX(whole, BoundarySeconds(report.division.boundaries[0], 0)));
    EXPECT_EQ(pads.shownRight, pads.shownLeft + 2);  // 26 hours of a year: the least span
}

TEST_F(Timeline, ZoomPanAndCentreStayWithinTheMdAndTheTable) {
    struct Case {
        int years, start;
    };
    for (const Case& c : {Case{1, 1999}, Case{12, 2093}, Case{2, 1800}}) {
        SCOPED_TRACE(c.start);
        ChartData chart = Chart(1, c.years, c.start);
        if (c.start == 1800) {
            chart.birth.month = 1;
            chart.birth.day = 5;
            ComputeSunPosition(sun_, chart.birth, chart.birthZone);
        }
        const TimelineLimits limits = LimitsOf(sun_, chart);
        EXPECT_GE(limits.earliest, Iso("1800-01-01"));
        EXPECT_LE(limits.latest, Iso("2100-01-01"));
        const TimelineView whole = WholeMdView(limits, 1200);
        // The instant under the pointer stays under it, down to the narrowest span.
        TimelineView v = whole;
        for (int i = 0; i < 40; ++i) {
            const double before = TimelineSecondsAt(v, 700);
            const TimelineView in = ZoomAbout(v, 700, 1.5, limits);
            EXPECT_GE(in.to - in.from, kMinTimelineSpan * 0.999);
            if (in.from > limits.earliest && in.to < limits.latest) {
                EXPECT_NEAR(TimelineSecondsAt(in, 700), before, (v.to - v.from) / 1e6);
            }
            v = in;
        }
        EXPECT_NEAR(v.to - v.from, kMinTimelineSpan, 1e-6);
        // Pans by pixels, then holds at the ends.
        const TimelineView panned = PanBy(v, 100, limits);
        EXPECT_NEAR(panned.from - v.from, 100 * (v.to - v.from) / (1200 - kTimelineGutter), 1e-3);
        EXPECT_EQ(PanBy(v, 1 << 30, limits).to, limits.latest);
        EXPECT_EQ(PanBy(v, -(1 << 30), limits).from, limits.earliest);
        EXPECT_EQ(CentreOn(v, 1e300, limits).to, limits.latest);
        // Out no further than the whole, nor by a factor that is none.
        const TimelineView out = ZoomAbout(v, 300, 1e-9, limits);
        EXPECT_EQ(out.from, whole.from);
        EXPECT_EQ(out.to, whole.to);
        EXPECT_EQ(ZoomAbout(v, 300, NAN, limits).from, v.from);
        // The keys: in and out by 2 about the middle, an eighth of the plot, the whole, the event.
        const TimelineView mid = ZoomAbout(whole, 600, 64.0, limits);
        const TimelineView in2 = ViewAfterKey(mid, TimelineKey::ZoomIn, limits, chart, 0.0);
        EXPECT_NEAR((mid.to - mid.from) / (in2.to - in2.from), 2.0, 1e-9);
        const TimelineView back = ViewAfterKey(in2, TimelineKey::ZoomOut, limits, chart, 0.0);
        EXPECT_NEAR(back.from, mid.from, 1e-3);
        EXPECT_EQ(ViewAfterKey(mid, TimelineKey::Later, limits, chart, 0.0).from,
                  PanBy(mid, (1200 - kTimelineGutter) / 8, limits).from);
        EXPECT_EQ(ViewAfterKey(mid, TimelineKey::Whole, limits, chart, 0.0).from, whole.from);
        EXPECT_EQ(ViewAfterWheel(mid, 700, 2.0, limits).to, ZoomAbout(mid, 700, 1.5625, limits).to);
        double event = 0.0;
        if (MomentSeconds(chart.event, chart.eventZone, event)) {
            EXPECT_EQ(ViewAfterKey(mid, TimelineKey::Event, limits, chart, 0.0).from,
                      CentreOn(mid, event, limits).from);
        }
        // Every band at the end of the table stays within the plot.
        const TimelineLayout end = LayoutTimeline(sun_, chart, PanBy(v, 1 << 30, limits), 0, false);
        for (const TimelineRow& row : end.rows) {
            for (const TimelineBand& b : row.bands) EXPECT_LE(b.right, 1200);
        }
    }
}

TEST_F(Timeline, PeriodsRunningAtAnInstantAndOutsideTheMd) {
    const ChartData chart = Chart(4);
    const RunningPeriods r = PeriodsAt(sun_, chart, Iso("1999-08-22T15:48:00Z"));
    ASSERT_EQ(r.where, RunningPeriods::Where::Inside);
    ASSERT_EQ(r.periods.size(), 6u);
    for (std::size_t t = 0; t < 6; ++t) {
        EXPECT_EQ(r.periods[t].tier, static_cast<int>(t));
        EXPECT_LE(r.periods[t].startSeconds, r.seconds);
        EXPECT_GT(r.periods[t].endSeconds, r.seconds);
    }
    EXPECT_EQ(NowStatusText(r), "Now: 5th AD / 6th PD / 10th SD / 2nd PAD / 2nd DAD");
    // A period's start is in it, its end is not.
    const double start = r.periods[5].startSeconds;
    EXPECT_EQ(PeriodsAt(sun_, chart, start).periods.back().path, r.periods[5].path);
    EXPECT_NE(PeriodsAt(sun_, chart, r.periods[5].endSeconds).periods.back().path,
              r.periods[5].path);
    struct Case {
        const char* at;
        const char* text;
    };
    for (const Case& c : {Case{"1997-01-01", "Now: 2 y 3 mo before this MD"},
                          Case{"2000-04-04T05:00Z", "Now: 6 m after this MD"},
                          Case{"2000-04-05T06:00Z", "Now: 1 d 1 h after this MD"}}) {
        EXPECT_EQ(NowStatusText(PeriodsAt(sun_, chart, Iso(c.at))), c.text);
    }
    EXPECT_EQ(PeriodsAt(sun_, chart, NAN).where, RunningPeriods::Where::Unknown);
    // An MD running past the table: an instant beyond it cannot be told.
    EXPECT_EQ(NowStatusText(PeriodsAt(sun_, Chart(1, 12, 2093), Iso("2100-06-01"))),
              "Now: beyond the Sun table");
}

// Damaged charts (a level, an index or a length out of range, no natal Sun) and views of any
// size and place give a layout within its plot, an answer to every pointer and a clamped view.
TEST_F(Timeline, AnyChartAndViewGiveABoundedLayout) {
    std::mt19937 random(21);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(random); };
    for (int i = 0; i < 60; ++i) {
        ChartData chart = Chart(pick(0, 8), pick(-2, 14), pick(1790, 2110));
        chart.adIndex = pick(-3, 14);
        chart.padIndex = pick(-3, 14);
        if (i % 7 == 0) chart.birth.sunLongitude = NAN;
        const TimelineLimits limits = LimitsOf(sun_, chart);
        const double at = limits.earliest + (limits.latest - limits.earliest) * pick(0, 100) / 100;
        const TimelineView views[] = {WholeMdView(limits, pick(0, 3000)),
                                      {at, at + std::pow(10.0, pick(0, 9)), pick(-10, 2500)},
                                      ClampView({at, at - 1, 800}, limits),
                                      {NAN, NAN, 1200}};
        for (const TimelineView& v : views) {
            SCOPED_TRACE(::testing::Message() << i << " " << v.from << " " << v.width);
            const TimelineView c = ClampView(v, limits);
            EXPECT_GE(c.from, limits.earliest);
            EXPECT_LE(c.to, limits.latest);
            const TimelineLayout layout = LayoutTimeline(sun_, chart, v, at, i % 2 == 0);
            for (const TimelineRow& row : layout.rows) {
                EXPECT_LE(row.bands.size(), 2000u);
                for (const TimelineBand& b : row.bands) {
                    EXPECT_GE(b.left, kTimelineGutter);
                    EXPECT_LE(b.left, b.right);
                }
            }
            RecordingCanvas canvas;
            DrawTimeline(canvas, layout);
            BandAt(layout, pick(-100, 3000), pick(-100, 400));
            PeriodsAt(sun_, chart, at);
        }
    }
}

TEST(TimelineText, IsoInstantsDistancesAndXml) {
    struct Iso {
        const char* text;
        bool ok;
        const char* utc;
    };
    for (const Iso& c : {Iso{"2026-12-10T14:20:00Z", true, "2026-12-10T14:20:00Z"},
                         Iso{"2026-12-10T19:50+05:30", true, "2026-12-10T14:20:00Z"},
                         Iso{"2026-12-10T10:20:59.75-04:00", true, "2026-12-10T14:20:59Z"},
                         Iso{"2024-02-29", true, "2024-02-29T00:00:00Z"},
                         Iso{"2023-02-29", false, ""}, Iso{"2026-12-10T14:20", false, ""},
                         Iso{"2026-12-10T24:00Z", false, ""}, Iso{"2026-12-10 14:20Z", false, ""},
                         Iso{"2026-12-10T14:20Zx", false, ""}, Iso{"", false, ""},
                         Iso{"26-12-10", false, ""}, Iso{"2026-12-10T14:20:00.Z", false, ""}}) {
        double s = 0.0;
        EXPECT_EQ(ParseIsoInstant(c.text, s), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(IsoUtcText(s), c.utc) << c.text;
        }
    }
    EXPECT_EQ(IsoUtcText(NAN), "");
    EXPECT_EQ(DistanceText(59), "1 m");
    EXPECT_EQ(DistanceText(3 * 3600 + 20 * 60), "3 h 20 m");
    EXPECT_EQ(DistanceText(-(5 * 86400.0 + 3 * 3600)), "5 d 3 h");
    EXPECT_EQ(XmlEscaped("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
    EXPECT_EQ(XmlEscaped(std::string("x\x01y\xff\xc3\xa9", 6)),
              "x\xef\xbf\xbdy\xef\xbf\xbd\xc3\xa9");
    EXPECT_EQ(XmlEscaped("\xed\xa0\x80"), "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");  // a surrogate
    SvgCanvas svg(300, 100);
    svg.FillRect({10, 10, 10, 50}, {1, 2, 3}, {0, 0, 0}, "empty");  // no width: nothing
    svg.FillRect({-5, 0, 20, 30}, {255, 0, 16}, {0, 0, 0}, "1st AD <&>");
    svg.DrawText("5\r\n6", {0, 0, 50, 20}, kAlignCentre, {"Arial", 700, 12, 0}, {});
    svg.DrawLine(1, 2, 3, 4, {0, 0, 200});
    const std::string doc = svg.Finish();
    EXPECT_EQ(doc.find("empty"), std::string::npos);
    EXPECT_NE(doc.find("<rect x=\"-5\" y=\"0\" width=\"24\" height=\"29\" fill=\"#ff0010\" "
                       "stroke=\"#000000\" transform=\"translate(0.5 0.5)\"><title>1st AD "
                       "&lt;&amp;&gt;</title></rect>"),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("<text x=\"25\" y=\"9\" font-size=\"12\" font-weight=\"bold\" "
                       "text-anchor=\"middle\" fill=\"#000000\">5  6</text>"),
              std::string::npos)
        << doc;
    EXPECT_TRUE(doc.ends_with("</svg>\n"));
}

}  // namespace
}  // namespace tarvella
