// GTK: the pages go through cairo's PDF surface, to a file or to the print spooler.
#include <cairo-pdf.h>
#include <cairo.h>
#include <wx/app.h>
#include <wx/dcgraph.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/paper.h>
#include <wx/print.h>
#include <wx/utils.h>

#include <utility>
#include <vector>

#include "app/orvo_printout.h"

namespace {

// Printer pixels of a PDF page: what GTK's preview assumes for a printer of medium quality.
constexpr int kPdfResolution = 600;

}  // namespace

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
