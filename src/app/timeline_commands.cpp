#include "app/timeline_commands.h"

#include <wx/cmndata.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/print.h>

#include <algorithm>
#include <optional>

#include "app/file_names.h"
#include "app/timeline_window.h"
#include "document/chart_files.h"
#include "view/svg_canvas.h"

using namespace tarvella;

namespace {

// An exported or printed timeline is at least this wide, whatever the window's width.
constexpr int kExportWidth = 1200;
constexpr int kPrintWidth = 1400;

// A wx built without libpng writes the SVG alone.
constexpr bool kPng = wxUSE_LIBPNG != 0;

std::string PngBytes([[maybe_unused]] const TimelineLayout& layout) {
#if wxUSE_LIBPNG
    wxBitmap bitmap(layout.view.width, layout.view.height, 24);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        DrawTimelineOn(dc, layout);
    }
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxMemoryOutputStream out;
    if (!bitmap.ConvertToImage().SaveFile(out, wxBITMAP_TYPE_PNG)) return {};
    std::string bytes(out.GetSize(), '\0');
    out.CopyTo(bytes.data(), bytes.size());
    return bytes;
#else
    return {};
#endif
}

std::string SvgBytes(const TimelineLayout& layout) {
    SvgCanvas canvas(layout.view.width, layout.view.height);
    DrawTimeline(canvas, layout);
    return canvas.Finish();
}

class PagePrintout : public wxPrintout {
  public:
    PagePrintout(TimelineLayout layout, const std::string& title)
        : wxPrintout(wxString::FromUTF8(title)), layout_(std::move(layout)) {}
    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override {
        *minPage = *maxPage = *from = *to = 1;
    }
    bool OnPrintPage(int) override {
        wxDC* dc = GetDC();
        if (!dc) return false;
        FitThisSizeToPage(wxSize(layout_.view.width, layout_.view.height));
        DrawTimelineOn(*dc, layout_);
        return true;
    }

  private:
    TimelineLayout layout_;
};

std::optional<wxPrintOrientation>& Turned() {
    static std::optional<wxPrintOrientation> turned;
    return turned;
}

}  // namespace

void ExportTimeline(wxWindow* parent, Session& session, TimelineWindow& timeline,
                    const std::string& documentName) {
    wxFileDialog files(
        parent, "Export timeline", "",
        wxFileName(wxString::FromUTF8(documentName)).GetName() + ".svg",
        kPng ? "SVG drawings (*.svg)|*.svg|PNG images (*.png)|*.png" : "SVG drawings (*.svg)|*.svg",
        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (files.ShowModal() != wxID_OK || session.ending) return;
    wxFileName name(files.GetPath());
    // A name typed without its extension takes the one of the type chosen.
    if (name.GetExt().empty()) name.SetExt(files.GetFilterIndex() == 1 ? "png" : "svg");
    const wxString path = name.GetFullPath();
    const bool png = kPng && name.GetExt().Lower() == "png";
    const wxSize shown = timeline.GetClientSize();
    const TimelineLayout layout = timeline.LayoutAt(
        std::max(timeline.IsShownOnScreen() ? shown.x : 0, kExportWidth), kTimelineHeight);
    const std::string bytes = png ? PngBytes(layout) : SvgBytes(layout);
    const bool written =
        !bytes.empty() && WriteFileRemembered(session, app::FileNameBytes(path),
                                              [&](const ByteSink& out) { return out(bytes); });
    if (!written) {
        wxLogError("Could not write the timeline to \"%s\"; the file on disk is unchanged.", path);
    } else {
        wxLogStatus("The timeline was written to \"%s\".", path);
    }
}

wxPrintout* TimelinePrintout(TimelineWindow& timeline, wxPrintData& data,
                             const std::string& title) {
    if (!Turned()) Turned() = data.GetOrientation();
    data.SetOrientation(wxLANDSCAPE);
    return new PagePrintout(timeline.LayoutAt(kPrintWidth, kTimelineHeight), title);
}

void TurnPageBack(wxPrintData& data) {
    if (!Turned()) return;
    data.SetOrientation(*Turned());
    Turned().reset();
}
