#include "app/report_window.h"

#include <algorithm>

#include "app/orvo_view.h"
#include "view/report_geometry.h"

ReportWindow::ReportWindow(COrvoView& view, wxWindow* parent)
    : wxScrolledCanvas(parent, wxID_ANY, wxDefaultPosition,
                       wxSize(tarvella::kReportWidth, tarvella::kReportHeight)),
      view_(view) {
    SetBackgroundColour(kReportBackground);
    // Scrollbars once the window has a size: GTK warns about scrollbars laid out in the
    // zero-sized pages of a main window that is still hidden behind the splash.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
        if (!scrolling_ && e.GetSize().x > 1 && e.GetSize().y > 1 && IsShownOnScreen()) {
            scrolling_ = true;
            ApplyExtent();
        }
        e.Skip();
    });
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
        if (!view_.KeyDown(e.GetKeyCode(), e.GetModifiers())) e.Skip();
    });
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
        view_.MouseLeft();
        e.Skip();
    });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
        SetFocus();  // the keys of the report go where the user clicked
        view_.MouseDown(e.GetPosition());
        e.Skip();
    });
    Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
        view_.MouseMove(e.GetPosition());
        e.Skip();
    });
    // A line of scrolling is a row of the report, not one of its pixel units.
    Bind(wxEVT_SCROLLWIN_LINEUP,
         [this](wxScrollWinEvent& e) { ScrollRows(e.GetOrientation(), -1); });
    Bind(wxEVT_SCROLLWIN_LINEDOWN,
         [this](wxScrollWinEvent& e) { ScrollRows(e.GetOrientation(), 1); });
    Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& e) {
        wheel_ += e.GetWheelRotation();
        const int notches = wheel_ / e.GetWheelDelta();
        wheel_ -= notches * e.GetWheelDelta();
        const bool vertical = e.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL;
        ScrollRows(vertical ? wxVERTICAL : wxHORIZONTAL,
                   (vertical ? -notches : notches) * e.GetLinesPerAction());
    });
}

void ReportWindow::OnDraw(wxDC& dc) {
    view_.OnDraw(&dc);
}

void ReportWindow::ScrollRows(int orientation, int rows) {
    if (rows == 0) return;
    const wxPoint start = GetViewStart();
    const int pitch = static_cast<int>(std::lround(tarvella::kReportGeometry.rowPitch * zoom_));
    if (orientation == wxVERTICAL) {
        Scroll(-1, std::max(0, start.y + rows * pitch));
    } else {
        Scroll(std::max(0, start.x + rows * pitch), -1);
    }
}

std::optional<tarvella::ReportKey> ReportKeyOf(int key) {
    using tarvella::ReportKey;
    switch (key) {
        case WXK_DOWN:
            return ReportKey::Down;
        case WXK_UP:
            return ReportKey::Up;
        case WXK_LEFT:
            return ReportKey::Left;
        case WXK_RIGHT:
            return ReportKey::Right;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            return ReportKey::Return;
        case WXK_BACK:
            return ReportKey::Backspace;
        case WXK_HOME:
            return ReportKey::Home;
        default:
            return std::nullopt;
    }
}

void ReportWindow::RefreshBox(const tarvella::OutlineBox& box) {
    const auto scaled = [this](int v) { return static_cast<int>(std::lround(v * zoom_)); };
    const wxPoint topLeft = CalcScrolledPosition(wxPoint(scaled(box.left), scaled(box.top)));
    const wxSize size(scaled(box.right - box.left), scaled(box.bottom - box.top));
    RefreshRect(wxRect(topLeft, size).Inflate(2), false);
}

void ReportWindow::ScrollToShow(const tarvella::OutlineBox& box) {
    Scroll(-1, tarvella::ScrollToShow(box, zoom_, GetViewStart().y, GetClientSize().y));
}
