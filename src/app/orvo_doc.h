// The chart document: the bytes of a last-data text (the chart image). Views keep their own charts
// and reach the image through the chart files; each view's report text comes from its own chart.
#pragma once

#include <wx/docview.h>

#include <string>

#include "document/chart_files.h"

class COrvoDoc : public wxDocument, public tarvella::ChartDocument {
  public:
    // tarvella::ChartDocument
    bool LoadedFromFile() const override { return loadedFromFile_; }
    void SetLoadedFromFile() override { loadedFromFile_ = true; }
    std::string ChartImage() const override { return chartImage_; }
    void SetChartImage(std::string_view bytes) override { chartImage_ = bytes; }
    void SetModifiedFlag() override { Modify(true); }
    void UpdateOtherViews() override { UpdateAllViews(changingView_); }

    // The view whose change the chart files are carrying, spared their repaint.
    void SetChangingView(wxView* view) { changingView_ = view; }

    // Every window's tab shows the modified mark, not only the first one's.
    void Modify(bool modified) override;

    bool OnNewDocument() override;
    bool OnOpenDocument(const wxString& file) override;
    bool OnSaveModified() override;

  protected:
    bool DoOpenDocument(const wxString& file) override;
    bool DoSaveDocument(const wxString& file) override;

  private:
    void StartViews();

    bool loadedFromFile_ = false;
    std::string chartImage_;
    wxView* changingView_ = nullptr;
};
