// The report view: one window of a chart document, with its own chart, drawing the report of the
// chart's level and walking the levels with the mouse.
#pragma once

#include <wx/docview.h>

#include <functional>
#include <string>

#include "app/export_periods_dialog.h"
#include "document/chart_data.h"
#include "document/session.h"
#include "engine/report_model.h"
#include "view/navigation.h"
#include "view/report_canvas.h"
#include "view/report_controller.h"

namespace tarvella::app {
class Mailer;
}
class CMainFrame;
class COrvoDoc;
class ReportWindow;
class TimelineWindow;
class ReportSplit;
class wxDocManager;
class wxMDIParentFrame;
class wxPrintout;

class COrvoView : public wxView {
  public:
    COrvoView(tarvella::Session& session, wxMDIParentFrame* parentFrame);

    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC* dc) override;
    void OnUpdate(wxView* sender, wxObject* hint) override;
    void OnChangeFilename() override;
    void OnActivateView(bool activate, wxView* activeView, wxView* deactiveView) override;

    // Reads the chart and the preferences once the document holds its image.
    void Start();

    void MouseDown(wxPoint client);
    void MouseMove(wxPoint client);
    void MouseLeft();
    // The report's keys; false for a key it leaves to others.
    bool KeyDown(int key, int modifiers);

    // View > Show seconds changed: the report is drawn again.
    void ShowSecondsChanged();
    // The session's ayanamsa changed: the chart's Sun and the report follow.
    void AyanamsaChanged();
    // View > Timeline changed: the timeline shows beside the report or goes.
    void TimelineToggled();
    // The present moment moved on: the timeline's line and the periods running now follow.
    void ClockTicked();

    // Called after each drawing on the screen, with the time it took.
    std::function<void(double milliseconds)> onPainted;

    // Printing and preview. The printout drives these, once a job each but OnPrint once a page.
    wxPrintout* OnCreatePrintout() override;
    void OnPreparePrinting();
    // Takes the page size; with a parent, asks for the print options first. Returns the page
    // count.
    int OnBeginPrinting(wxSize pagePixels, wxWindow* settingsParent);
    void OnPrint(wxDC& dc, int page, wxSize pagePixels, int pageCount);
    void OnEndPrinting();

  private:
    COrvoDoc& Doc() const;
    // The main window, whose status bar, zoom and mail program the view uses.
    CMainFrame* Main() const;
    tarvella::ReportPoint ReportPointAt(wxPoint client) const;
    void DrawReportOnScreen(wxDC& dc);
    void DrawHighlight(wxDC& dc);
    void RefreshOutline(int hit);
    void ShowStatus();
    double ZoomOfFrame() const;
    void RedrawReport();
    // The chart changed by a click, a key or data entry: saved, and its report drawn anew.
    void Walked();
    void SaveChart();
    void ShowTitle();
    void ShowAyanamsa() const;
    // The plain text of the report of this window's chart, for Copy and mail: another window of
    // the same document may show another level.
    std::string ShownText();

    void OnNewWindow(wxCommandEvent& event);
    void OnEnterData(wxCommandEvent& event);
    void OnAyanamsa(wxCommandEvent& event);
    void OnExportPeriods(wxCommandEvent& event);
    void OnCopyAsPlainText(wxCommandEvent& event);
    void OnEmailScreenAsText(wxCommandEvent& event);
    void OnEmailDataFile(wxCommandEvent& event);
    void OnExportTimeline(wxCommandEvent& event);
    // The status bar's pane of the periods running now, when this window is the active one.
    void ShowNow();
    // The timeline and that pane follow a chart changed in any way.
    void FollowChart();

    tarvella::Session& session_;
    PeriodExportChoice exportChoice_;
    wxMDIParentFrame* parentFrame_;
    ReportWindow* canvas_ = nullptr;
    ReportSplit* split_ = nullptr;  // the report above, the timeline below when shown
    TimelineWindow* timeline_ = nullptr;
    tarvella::ReportController controller_;
    tarvella::PrintState print_;
    // Print jobs under way: a preview and a print started from it overlap.
    int printJobs_ = 0;
    bool started_ = false;
    // Where the pointer was last, and the scroll position when the highlight was drawn.
    wxPoint lastMouse_;
    wxPoint highlightScroll_;
    // The next paint finds how far the report's texts reach, for the scrollable area.
    bool measureExtent_ = true;
};
