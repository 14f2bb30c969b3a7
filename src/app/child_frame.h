// The frame of one document window: a tab of the main window under GTK, with the menus of an
// open document.
#pragma once

#include <wx/docmdi.h>

class CChildFrame : public wxDocMDIChildFrame {
  public:
    CChildFrame(wxDocument* doc, wxView* view, wxMDIParentFrame* parent);
    ~CChildFrame() override;

    // Menu prompts go to the main window's status bar.
    void DoGiveHelp(const wxString& text, bool show) override;

  private:
    wxMenu* fileMenu_ = nullptr;
};
