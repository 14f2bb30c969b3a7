// The main window: menus, toolbar and status bar around the tabs of the document windows.
#pragma once

#include <wx/docmdi.h>
// Not declared ahead: outside GTK, wxInfoBar is a macro naming the generic bar.
#include <wx/infobar.h>

#include <memory>
#include <string>
#include <vector>

#include "app/clipboard_mail.h"

class wxMenu;
class wxMenuBar;

// The menus while no document is open, or while one is; the mail commands only with `mail`.
wxMenuBar* MakeMenuBar(bool documentOpen, bool mail);
// The submenu of a File menu that lists the recent files.
wxMenu* RecentFilesMenu(wxMenu* fileMenu);

class CMainFrame : public wxDocMDIParentFrame {
  public:
    CMainFrame(wxDocManager* manager, const wxRect& rect);

    // Null when no mail program was found at start-up: the mail commands then do not exist.
    tarvella::app::Mailer* GetMailer() const { return mailer_.get(); }

    // Names the ayanamsa that the boundaries are computed with.
    void ShowAyanamsa(const std::string& label);
    // The periods running now in the active window's MD, or where the present lies beside it.
    void ShowNow(const std::string& text);
    // The period pointed at in a report, or the resting text when `text` is empty.
    void ShowPeriod(const std::string& text);
    // Tells what happened to the user's files without a box to close: logged as a status
    // message, the status bar's resting text for the rest of the session, so that pointing at
    // the report or a menu does not take it away unread, and whole in a bar above the report,
    // where a long path is not cut off.
    void Notice(const wxString& text);
    // The notice of each damaged data file moved aside at a window's start.
    void TellDamagedCopies(const std::vector<std::string>& copies);

    // The report's zoom on the screen, in percent, for every window.
    int ZoomPercent() const { return zoomPercent_; }

  private:
    void MakeToolBar();
    void FitNotices();
    void ShowKeyStates();
    // Each of the now and ayanamsa panes fits its text, so the prompts keep the rest of the bar.
    void FitPanes();
    void OnToggleBar(wxCommandEvent& event);
    void OnUpdateToggleBar(wxUpdateUIEvent& event);
    void OnHelpTopics(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnZoom(wxCommandEvent& event);
    void OnDropFiles(wxDropFilesEvent& event);
    void OnIdle(wxIdleEvent& event);

    wxString RestingText() const;

    wxString notices_;
    wxString now_;
    wxString ayanamsa_;
    wxString noticeLines_;  // the same, one a line, for the bar
    wxInfoBar* noticeBar_ = nullptr;
    int keyStates_ = -1;
    int zoomPercent_ = 100;
    std::unique_ptr<tarvella::app::Mailer> mailer_;
};
