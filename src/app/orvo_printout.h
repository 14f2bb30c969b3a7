// The report on paper, in the print preview and in a PDF file: wx's print protocol carried to the
// view's print operations.
#pragma once

#include <wx/prntbase.h>
#include <wx/weakref.h>

#include "app/orvo_view.h"

class wxPrintData;

class COrvoPrintout : public wxPrintout {
  public:
    // A job the user starts opens with "Settings for printing"; one from the command line takes
    // the options of the preference file.
    COrvoPrintout(COrvoView& view, bool askSettings);
    ~COrvoPrintout() override;

    void OnPreparePrinting() override;
    void OnEndPrinting() override;
    void GetPageInfo(int* minPage, int* maxPage, int* fromPage, int* toPage) override;
    bool HasPage(int page) override;
    bool OnPrintPage(int page) override;

  private:
    void End();

    wxWeakRef<COrvoView> view_;
    bool askSettings_;
    bool started_ = false;
    // Until the options are known, the most pages a job can have.
    int pageCount_ = 3;
};

// Both print every page without any dialog, with the options of the preference file and on the
// paper of `printData` (A4 when it names none): through the print command "lp" on the printer of
// `printData` (the system's default printer unless one was chosen), or into a PDF file. False,
// with the reason logged, when the output was not made.
bool PrintOnPrinter(COrvoView& view, const wxPrintData& printData);
bool PrintToPdf(COrvoView& view, const wxPrintData& printData, const wxString& path);

// One printed page of the report of `chart`: the heading with the document's title and the
// page's number, then each level that goes on that page under the session's print options.
void PrintReportPage(wxDC& dc, tarvella::PrintState& print, tarvella::Session& session,
                     tarvella::ChartData& chart, const std::string& title, int page, int pageCount);
