#include "view/report_controller.h"

#include <algorithm>
#include <cmath>

#include "document/period_path.h"
#include "view/period_status.h"

namespace tarvella {

ReportPoint ReportPointAt(int clientX, int clientY, int scrollX, int scrollY, double zoom) {
    return {static_cast<int>(std::floor((clientX + scrollX) / zoom)),
            static_cast<int>(std::floor((clientY + scrollY) / zoom))};
}

int ScrollToShow(const OutlineBox& box, double zoom, int scrollY, int viewHeight) {
    const int top = static_cast<int>(box.top * zoom);
    const int bottom = static_cast<int>(box.bottom * zoom);
    if (top < scrollY) scrollY = top;
    if (bottom > scrollY + viewHeight) scrollY = bottom - viewHeight;
    return std::max(0, scrollY);
}

const ReportModel& ReportController::Report() {
    if (!report_ || reportSeconds_ != session_.showSeconds) {
        SunContext sun = session_.Sun();
        report_ = BuildReport(sun, chart_);
        report_->seconds = reportSeconds_ = session_.showSeconds;
        ApplyReport(chart_, *report_);
    }
    return *report_;
}

void ReportController::StartOver() {
    report_.reset();
    eventHover_ = false;
    keyHighlight_ = kNoHighlight;
    pointed_ = -1;  // the same place may now be another period
    Point(kNoHighlight);
}

int ReportController::HitAt(ReportPoint p) const {
    return IsEvent() ? ColumnAtPoint(p) : RowAtPoint(p, chart_.level);
}

std::optional<OutlineBox> ReportController::Outline(int hit) const {
    if (hit == kNoHighlight) return std::nullopt;
    return IsEvent() ? ColumnOutline(hit) : RowOutline(hit);
}

ReportController::Move ReportController::PointerMoved(ReportPoint p, bool scrolled) {
    // A move of the pointer takes the highlight back from the keyboard.
    keyboard_ = false;
    const int hit = HitAt(p);
    eventHover_ = IsEvent();
    Point(hit);
    if (hit == drawn_ && !scrolled) return {};
    const Move move{true, drawn_, hit};
    drawn_ = hit;
    return move;
}

void ReportController::PointerLeft() {
    if (!keyboard_) Point(kNoHighlight);
}

bool ReportController::Clicked(ReportPoint p) {
    keyboard_ = false;
    if (IsEvent()) {
        const int column = ColumnAtPoint(p);
        if (column == kNoHighlight) return false;
        const EventPath path = Report().event;
        return ApplyEventClick(chart_, column, path);
    }
    return ApplyRowClick(chart_, RowAtPoint(p, chart_.level));
}

ReportController::KeyResult ReportController::KeyPressed(ReportKey key) {
    const bool event = IsEvent();
    const int current = keyboard_ ? keyHighlight_ : drawn_;
    KeyResult result;
    result.handled = true;
    const auto moveTo = [&](int to) {
        result.highlightMoved = true;
        result.from = drawn_;
        result.to = to;
        keyboard_ = true;
        keyHighlight_ = to;
        Point(to);
    };
    switch (key) {
        case ReportKey::Down:
        case ReportKey::Up:
            if (event) return {};
            moveTo(NextRowHighlight(chart_.level, current, key == ReportKey::Down ? 1 : -1));
            return result;
        case ReportKey::Left:
        case ReportKey::Right:
            if (!event) return {};
            moveTo(NextColumnHighlight(Report().event, current, key == ReportKey::Right ? 1 : -1));
            return result;
        case ReportKey::Return:
            if (current == kNoHighlight) return result;
            if (event) {
                const EventPath path = Report().event;
                result.chartChanged = ApplyEventClick(chart_, current, path);
            } else {
                result.chartChanged = ApplyRowClick(chart_, current);
            }
            return result;
        case ReportKey::Backspace:
            if (event) return {};
            result.chartChanged = ApplyRowClick(chart_, kLevelUpRow);
            return result;
        case ReportKey::Home: {
            if (event) return {};
            PeriodPath path = PathOf(chart_);
            result.chartChanged = path.level != 1;
            path.level = 1;
            SetPath(chart_, path);
            return result;
        }
    }
    return {};
}

int ReportController::PaintedHighlight(ReportPoint pointer) {
    if (IsEvent()) {
        drawn_ = keyboard_ ? keyHighlight_ : eventHover_ ? ColumnAtPoint(pointer) : kNoHighlight;
        return drawn_;
    }
    drawn_ = keyboard_ ? keyHighlight_ : RowAtPoint(pointer, chart_.level);
    return RowIsOutlined(chart_.level, drawn_) ? drawn_ : kNoHighlight;
}

std::optional<std::string> ReportController::TakeStatus() {
    std::optional<std::string> taken;
    taken.swap(status_);
    return taken;
}

void ReportController::Point(int hit) {
    if (hit == pointed_) return;
    pointed_ = hit;
    status_ = StatusText(hit);
}

std::string ReportController::StatusText(int hit) {
    if (hit == kNoHighlight) return {};
    const ReportModel& report = Report();
    SunContext sun = session_.Sun();
    return report.IsEvent() ? EventColumnStatusText(sun, report, hit)
                            : RowStatusText(sun, report, hit);
}

}  // namespace tarvella
