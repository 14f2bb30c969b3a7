#include "app/splash.h"

#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/art.h"

namespace {
constexpr int kSplashMilliseconds = 900;
}

// Keys and clicks are not handled here, so nothing closes the picture early.
CSplashWindow::CSplashWindow(wxFrame* owner)
    : wxFrame(nullptr, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
              wxBORDER_NONE | wxFRAME_NO_TASKBAR | wxSTAY_ON_TOP | wxFRAME_TOOL_WINDOW),
      owner_(owner),
      picture_(tarvella::app::SplashPicture()),
      timer_(this) {
    SetClientSize(picture_.GetSize());
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CSplashWindow::OnPaint, this);
    Bind(wxEVT_TIMER, &CSplashWindow::OnTimer, this);
    CentreOnScreen();
    Show();
    Update();
    if (!timer_.StartOnce(kSplashMilliseconds)) {
        wxTimerEvent now(timer_);
        OnTimer(now);
    }
}

void CSplashWindow::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.DrawBitmap(picture_, 0, 0);
}

void CSplashWindow::OnTimer(wxTimerEvent&) {
    Destroy();
    owner_->Show();
    owner_->Update();
}

void ShowAboutBox(wxWindow* parent) {
    wxDialog box(parent, wxID_ANY, "About Tarvella");
    box.SetFont(wxFontInfo(9).FaceName("Arial"));
    auto* column = new wxBoxSizer(wxVERTICAL);
    wxIcon icon = tarvella::app::ApplicationIcon().GetIcon(wxSize(32, 32));
    column->Add(new wxStaticBitmap(&box, wxID_ANY, icon), 0, wxALIGN_CENTRE | wxALL, 12);
    const long centred = wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE;
    column->Add(new wxStaticText(&box, wxID_ANY,
                                 "Tarvella\nVersion 2.0\n\nSub-periods of a sign-based dasa,\n"
                                 "timed by the Sun's transits",
                                 wxDefaultPosition, wxDefaultSize, centred),
                0, wxEXPAND | wxLEFT | wxRIGHT, 24);
    column->Add(new wxStaticText(&box, wxID_ANY,
                                 "Free software under the GNU Affero General Public License,\n"
                                 "version 3 or later. It comes with no warranty.",
                                 wxDefaultPosition, wxDefaultSize, centred),
                0, wxEXPAND | wxALL, 24);
    column->Add(box.CreateStdDialogButtonSizer(wxOK), 0, wxALIGN_CENTRE | wxBOTTOM, 12);
    box.SetSizerAndFit(column);
    box.CentreOnParent();
    box.ShowModal();
}
