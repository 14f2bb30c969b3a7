// The chart document: the bytes of a last-data text (the chart image). Views keep their own charts
// and reach the image through the chart files; each view's report text comes from its own chart.
#pragma once

#include <wx/docview.h>

#include <string>

#include "app/data_dialog.h"
#include "document/chart_files.h"

// True for a chart; otherwise says why the file is not opened.
bool IsChartOrSayWhy(const wxString& file, const tarvella::ChartFile& read);

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

    // The zones last picked by name in "Enter Data": kept with a saved document's file name in
    // the user configuration, and for the session while it is untitled.
    const ZoneNames& PickedZones() const { return zones_; }
    void SetPickedZones(const ZoneNames& zones);

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
    ZoneNames zones_;
};
