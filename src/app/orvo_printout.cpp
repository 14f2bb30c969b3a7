#include "app/orvo_printout.h"

#ifdef __WXGTK__
#include <cairo-pdf.h>
#include <cairo.h>
#endif
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

namespace {

#ifdef __WXGTK__
// Printer pixels of a PDF page: what GTK's preview assumes for a printer of medium quality.
constexpr int kPdfResolution = 600;
#endif

}  // namespace

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

#ifdef __WXMSW__
// The system's print path: the default printer unless one was chosen, without the dialog.
bool PrintOnPrinter(COrvoView& view, const wxPrintData& printData) {
    wxPrintDialogData dialogData(printData);
    wxPrinter printer(&dialogData);
    COrvoPrintout printout(view, false);
    if (printer.Print(nullptr, &printout, false)) return true;
    wxLogError("Could not print: %s", wxPrinter::GetLastError() == wxPRINTER_ERROR
                                          ? "the printer reported an error."
                                          : "no printer is set up.");
    return false;
}

// Windows has no PDF surface of its own here; a PDF printer, where one is installed, takes the
// job through the Print dialog.
bool PrintToPdf(COrvoView&, const wxPrintData&, const wxString&) {
    wxLogError(
        "--print-to is not available on Windows: print through the Print dialog to a PDF "
        "printer instead.");
    return false;
}
#else
// GTK's print operation waits without end for a default printer when none answers, so the
// pages go to the print spooler as a PDF file instead, as a desktop's print command does.
bool PrintOnPrinter(COrvoView& view, const wxPrintData& printData) {
    const wxString pdf = wxFileName::CreateTempFileName("tarvella-print");
    if (pdf.empty()) return false;
    bool printed = PrintToPdf(view, printData, pdf);
    if (printed) {
        std::vector<wxString> args{"lp", "-s", "-t", view.GetDocument()->GetUserReadableName()};
        if (!printData.GetPrinterName().empty()) {
            args.insert(args.end(), {"-d", printData.GetPrinterName()});
        }
        args.insert(args.end(), {"--", pdf});
        std::vector<const wchar_t*> argv;
        for (const wxString& arg : args) argv.push_back(arg.wc_str());
        argv.push_back(nullptr);
        const long code = wxExecute(argv.data(), wxEXEC_SYNC | wxEXEC_NOEVENTS);
        printed = code == 0;
        if (!printed) wxLogError("Could not print: the print command \"lp\" ended with %ld.", code);
    }
    wxRemoveFile(pdf);
    return printed;
}

bool PrintToPdf(COrvoView& view, const wxPrintData& printData, const wxString& path) {
    const wxPrintPaperType* paper = wxThePrintPaperDatabase->FindPaperType(printData.GetPaperId());
    if (!paper) paper = wxThePrintPaperDatabase->FindPaperType(wxPAPER_A4);
    wxSize tenthsMm = paper->GetSize();
    if (printData.GetOrientation() == wxLANDSCAPE) std::swap(tenthsMm.x, tenthsMm.y);
    const auto points = [](int tenths) { return tenths * 72.0 / 254.0; };
    const auto pixels = [](int tenths) { return wxRound(tenths * kPdfResolution / 254.0); };

    cairo_surface_t* surface =
        cairo_pdf_surface_create(path.fn_str(), points(tenthsMm.x), points(tenthsMm.y));
    cairo_t* cr = cairo_create(surface);
    // User units are printer pixels.
    cairo_scale(cr, 72.0 / kPdfResolution, 72.0 / kPdfResolution);

    COrvoPrintout printout(view, false);
    printout.SetPPIScreen(wxGetDisplayPPI());
    printout.SetPPIPrinter(kPdfResolution, kPdfResolution);
    printout.SetPageSizePixels(pixels(tenthsMm.x), pixels(tenthsMm.y));
    printout.SetPaperRectPixels(wxRect(0, 0, pixels(tenthsMm.x), pixels(tenthsMm.y)));
    printout.SetPageSizeMM(tenthsMm.x / 10, tenthsMm.y / 10);
    if (cairo_status(cr) == CAIRO_STATUS_SUCCESS) {
        printout.OnPreparePrinting();
        int minPage = 0, maxPage = 0, fromPage = 0, toPage = 0;
        printout.GetPageInfo(&minPage, &maxPage, &fromPage, &toPage);
        printout.OnBeginPrinting();
        for (int page = fromPage; page <= toPage; ++page) {
            {
                // The graphics context takes over one reference to the cairo context.
                wxGCDC dc(wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromNativeContext(
                    cairo_reference(cr)));
                printout.SetDC(&dc);
                printout.OnPrintPage(page);
                printout.SetDC(nullptr);
            }
            cairo_show_page(cr);
        }
        printout.OnEndPrinting();
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        wxLogError("Could not write the file \"%s\": %s.", path, cairo_status_to_string(status));
        return false;
    }
    return true;
}
#endif

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
