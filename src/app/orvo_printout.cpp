#include "app/orvo_printout.h"

#include <wx/app.h>
#include <wx/dcgraph.h>
#include <wx/dcprint.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/paper.h>
#include <wx/print.h>
#include <wx/utils.h>

#include <utility>
#include <vector>

#include "app/dc_report_canvas.h"
#include "view/print_pages.h"
#include "view/report_layout.h"

COrvoPrintout::COrvoPrintout(COrvoView& view, bool askSettings)
    : wxPrintout(view.GetDocument()->GetUserReadableName()),
      view_(&view),
      askSettings_(askSettings) {}

COrvoPrintout::~COrvoPrintout() {
    End();
}

// Once a job: wx calls it after its print dialog, and for a preview before the first page.
void COrvoPrintout::OnPreparePrinting() {
    if (!view_) return;
    if (!started_) view_->OnPreparePrinting();
    started_ = true;
    wxWindow* parent = nullptr;
    if (askSettings_) {
        parent = IsPreview() && GetPreview() ? GetPreview()->GetFrame() : wxTheApp->GetTopWindow();
    }
    int width = 0, height = 0;
    GetPageSizePixels(&width, &height);
    pageCount_ = view_->OnBeginPrinting(wxSize(width, height), parent);
}

// A preview ends with its window, which deletes this printout; wx calls this after every page it
// shows.
void COrvoPrintout::OnEndPrinting() {
    if (!IsPreview()) End();
}

void COrvoPrintout::End() {
    if (started_ && view_) view_->OnEndPrinting();
    started_ = false;
}

void COrvoPrintout::GetPageInfo(int* minPage, int* maxPage, int* fromPage, int* toPage) {
    *minPage = *fromPage = 1;
    *maxPage = *toPage = pageCount_;
}

bool COrvoPrintout::HasPage(int page) {
    return page >= 1 && page <= pageCount_;
}

bool COrvoPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (!dc || !view_) return false;
    int width = 0, height = 0;
    GetPageSizePixels(&width, &height);
    if (width <= 0 || height <= 0) return false;
    const wxSize pagePixels(width, height);
    // GTK's printer context sizes fonts in points; a graphics context over its cairo context
    // sizes them in pixels, as the report and the PDF file do.
    if (auto* printer = wxDynamicCast(dc, wxPrinterDC)) {
        wxGCDC gc(*printer);
        view_->OnPrint(gc, page, pagePixels, pageCount_);
        return true;
    }
    // The preview draws the page reduced to its bitmap.
    if (IsPreview()) {
        const wxSize size = dc->GetSize();
        dc->SetUserScale(double(size.x) / width, double(size.y) / height);
    }
    view_->OnPrint(*dc, page, pagePixels, pageCount_);
    return true;
}

void PrintReportPage(wxDC& dc, tarvella::PrintState& print, tarvella::Session& session,
                     tarvella::ChartData& chart, const std::string& title, int page,
                     int pageCount) {
    using namespace tarvella;
    constexpr int kFilledExtent = 1600;
    print.colorPrinting = session.preferences.colorPrinting == 1;
    print.lowerHalf = false;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(0, 0, kFilledExtent, kFilledExtent);

    DcReportCanvas canvas(dc);
    constexpr TextRect kHeading{8, -5, 500, 30};
    constexpr ReportFont kHeadingFont{"Arial", 250, 12, 4};
    DrawReportText(canvas, print, HeadingTitle(title), kHeading, kAlignLeft, kHeadingFont, {});
    DrawReportText(canvas, print, PageNumberText(page, pageCount), kHeading, kAlignRight,
                   kHeadingFont, {});

    // Each level is the report of the chart's own path of selected periods at that level.
    SunContext sun = session.Sun();
    for (const PrintedLevel& printed :
         LevelsOnPage(session.preferences.printAllLevels, chart.level, page)) {
        ReportModel report = BuildReport(sun, chart, printed.level);
        report.seconds = session.showSeconds;
        ApplyReport(chart, report);
        print.lowerHalf = printed.lowerHalf == 1;
        DrawReportModel(canvas, print, report);
    }
    print.lowerHalf = false;
}
