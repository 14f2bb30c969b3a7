// The scrolling window that shows a view's report: it hands the pointer, the keys and the paint
// to its view, scrolls a row at a time, and takes the report's extent at the zoom of the screen.
#pragma once

#include <wx/scrolwin.h>

#include <cmath>
#include <optional>

#include "view/report_controller.h"
#include "view/report_geometry.h"

class COrvoView;

inline const wxColour kReportBackground(255, 255, 240);

// The report's key for a wx key code; nullopt for the keys it leaves to others.
std::optional<tarvella::ReportKey> ReportKeyOf(int key);

class ReportWindow : public wxScrolledCanvas {
  public:
    ReportWindow(COrvoView& view, wxWindow* parent);
    void OnDraw(wxDC& dc) override;

    // The area the report takes, in report units, at the zoom given: scrolled over as a whole.
    void SetExtent(wxSize units, double zoom) {
        // A window painted is on the screen: its scrollbars can be laid out now.
        const bool start = !scrolling_ && IsShownOnScreen() && GetClientSize().x > 1;
        if (!start && units == units_ && zoom == zoom_) return;
        units_ = units;
        zoom_ = zoom;
        scrolling_ = scrolling_ || start;
        if (scrolling_) ApplyExtent();
    }
    double Zoom() const { return zoom_; }
    // Repaints a box of the report and a little around it.
    void RefreshBox(const tarvella::OutlineBox& box);
    // Scrolls as little as it can to bring the box into view.
    void ScrollToShow(const tarvella::OutlineBox& box);
    wxSize ExtentUnits() const { return units_; }

    // After a scroll the box under the pointer belongs elsewhere: the whole report is redrawn.
    void ScrollWindow(int dx, int dy, const wxRect* rect) override {
        wxScrolledCanvas::ScrollWindow(dx, dy, rect);
        Refresh(false);
    }

  private:
    void ApplyExtent() {
        const wxPoint start = GetViewStart();
        SetScrollbars(1, 1, static_cast<int>(std::lround(units_.x * zoom_)),
                      static_cast<int>(std::lround(units_.y * zoom_)), start.x, start.y);
    }

    // A line of scrolling is a row of the report, not one of its pixel units.
    void ScrollRows(int orientation, int rows);

    COrvoView& view_;
    int wheel_ = 0;
    bool scrolling_ = false;
    wxSize units_{tarvella::kReportWidth, tarvella::kReportHeight};
    double zoom_ = 1.0;
};
