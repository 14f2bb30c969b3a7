// Windows: printing goes through the system's print path.
#include <wx/log.h>
#include <wx/print.h>

#include "app/orvo_printout.h"

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
