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

namespace tarvella::app {
class Mailer;
}
class COrvoDoc;
class ReportWindow;
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
    // View > Precise instants moves every chart's Sun, as a change of the ayanamsa does.
    void PreciseChanged() { AyanamsaChanged(nullptr); }

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
    tarvella::ReportPoint ReportPointAt(wxPoint client) const;
    void DrawReportOnScreen(wxDC& dc);
    void DrawHighlight(wxDC& dc);
    void RefreshOutline(int hit);
    void MoveKeyHighlight(int to);
    void ShowPointedPeriod(int hit);
    double ZoomOfFrame() const;
    void RedrawReport();
    void SaveChart();
    void ShowTitle();
    void OnNewWindow(wxCommandEvent& event);

    // Data entry and the ayanamsa.
    void BindDataCommands();
    void OnEnterData(wxCommandEvent& event);
    void OnAyanamsa(wxCommandEvent& event);
    void AyanamsaChanged(COrvoView* sender);
    void ShowAyanamsa() const;

    // Copy as plain text and the two mail commands.
    void BindExportCommands();
    void OnCopyAsPlainText(wxCommandEvent& event);
    void OnEmailScreenAsText(wxCommandEvent& event);
    void OnEmailDataFile(wxCommandEvent& event);
    tarvella::app::Mailer* MailerOrSayNone() const;
    // The plain text of the report of this window's chart, for Copy and mail: another window of
    // the same document may show another level.
    std::string ShownText();
    // The report of a level of this window's chart as the screen, the text and the page show it.
    tarvella::ReportModel ShownReport(tarvella::SunContext& sun, int level) const;

    // File > Export periods.
    void OnExportPeriods(wxCommandEvent& event);

    tarvella::Session& session_;
    PeriodExportChoice exportChoice_;
    wxMDIParentFrame* parentFrame_;
    ReportWindow* canvas_ = nullptr;
    tarvella::ChartData chart_;
    tarvella::PrintState print_;
    // Print jobs under way: a preview and a print started from it overlap.
    int printJobs_ = 0;
    bool started_ = false;
    int highlightRow_ = tarvella::kNoHighlight;
    wxPoint highlightScroll_;
    wxPoint lastMouse_;
    // The event report outlines its columns only once the pointer moved over the new report.
    bool eventHover_ = false;
    // The highlight follows the keys until the pointer moves again.
    bool keyboard_ = false;
    int keyHighlight_ = tarvella::kNoHighlight;
    int pointedPeriod_ = -1;  // the period the status bar names, -1 for none yet
    // The next paint finds how far the report's texts reach, for the scrollable area.
    bool measureExtent_ = true;
};
