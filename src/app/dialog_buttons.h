// The OK and Cancel row of a dialog, in the platform's order.
#pragma once

#include <wx/dialog.h>
#include <wx/sizer.h>

namespace tarvella {

// wx gives OK the focus along with the default; `first` keeps it, since a form is filled from
// the field it opens at.
inline wxSizer* OkCancelRow(wxDialog& dialog, wxWindow& first) {
    wxSizer* row = dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    first.SetFocus();
    return row;
}

}  // namespace tarvella
