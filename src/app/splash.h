// The splash picture that opens the application and then shows the main window, and the About box.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>

class CSplashWindow : public wxFrame {
  public:
    // Shows the picture centred on the screen; at least 900 ms later it closes and shows `owner`.
    explicit CSplashWindow(wxFrame* owner);

  private:
    void OnPaint(wxPaintEvent& event);
    void OnTimer(wxTimerEvent& event);

    wxFrame* owner_;
    wxBitmap picture_;
    wxTimer timer_;
};

void ShowAboutBox(wxWindow* parent);
