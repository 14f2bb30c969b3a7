#include "app/orvo_doc.h"

#include <wx/app.h>
#include <wx/config.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

#include "app/file_names.h"
#include "app/orvo_view.h"

#include <cstdint>
#include <string>

#include "core/calendar.h"

namespace {

// A document's entry in the configuration, named after its file (FNV-1a of the path): a path
// itself holds characters that configuration keys cannot.
wxString ZonesGroup(const wxString& file) {
    const std::uint64_t hash = tarvella::Fnv1a(std::string(file.utf8_str()));
    return wxString::Format("/Zone Names/%016llx", static_cast<unsigned long long>(hash));
}

ZoneNames RememberedZones(const wxString& file) {
    wxConfigBase* config = wxConfigBase::Get();
    const wxString group = ZonesGroup(file);
    if (config->Read(group + "/path", "") != file) return {};
    return {std::string(config->Read(group + "/birth", "").utf8_str()),
            std::string(config->Read(group + "/event", "").utf8_str())};
}

void RememberZones(const wxString& file, const ZoneNames& zones) {
    wxConfigBase* config = wxConfigBase::Get();
    const wxString group = ZonesGroup(file);
    if (zones.birth.empty() && zones.event.empty()) {
        config->DeleteGroup(group);
        return;
    }
    config->Write(group + "/path", file);
    config->Write(group + "/birth", wxString::FromUTF8(zones.birth));
    config->Write(group + "/event", wxString::FromUTF8(zones.event));
}

}  // namespace

void COrvoDoc::SetPickedZones(const ZoneNames& zones) {
    zones_ = zones;
    if (!GetFilename().empty()) RememberZones(GetFilename(), zones_);
}

bool COrvoDoc::OnNewDocument() {
    if (!wxDocument::OnNewDocument()) return false;
    StartViews();
    return true;
}

bool COrvoDoc::OnOpenDocument(const wxString& file) {
    if (!wxDocument::OnOpenDocument(file)) return false;
    // The views read the chart once the framework has loaded the file and reset the modified
    // flag.
    StartViews();
    return true;
}

void COrvoDoc::Modify(bool modified) {
    const bool changed = modified != IsModified();
    wxDocument::Modify(modified);
    if (!changed) return;
    for (wxView* view : GetViewsVector()) view->OnChangeFilename();
}

// The framework makes the views before it loads the document; they read their charts now.
void COrvoDoc::StartViews() {
    for (wxView* view : GetViewsVector()) {
        if (auto* orvo = dynamic_cast<COrvoView*>(view)) orvo->Start();
    }
}

bool COrvoDoc::DoOpenDocument(const wxString& file) {
    const tarvella::ChartFile read = tarvella::ReadChartFile(tarvella::app::FileNameBytes(file));
    if (!IsChartOrSayWhy(file, read)) return false;
    tarvella::LoadDocumentFile(*this, read.bytes);
    zones_ = RememberedZones(file);
    return true;
}

bool IsChartOrSayWhy(const wxString& file, const tarvella::ChartFile& read) {
    switch (read.status) {
        case tarvella::ChartFile::Status::Chart:
            return true;
        case tarvella::ChartFile::Status::Unreadable:
            wxLogError("Could not open the file \"%s\": %s.", file, read.problem);
            return false;
        case tarvella::ChartFile::Status::NotAChart:
            wxLogError("The file \"%s\" is not a chart (%s); it was not opened.", file,
                       read.problem);
            return false;
    }
    return false;
}

bool COrvoDoc::DoSaveDocument(const wxString& file) {
    if (!tarvella::WriteFileAtomically(tarvella::app::FileNameBytes(file), chartImage_)) {
        wxLogError("Could not save the file \"%s\"; the file on disk is unchanged.", file);
        return false;
    }
    // Saved under a new name, the document takes its zones along.
    RememberZones(file, zones_);
    return true;
}

bool COrvoDoc::OnSaveModified() {
    if (!IsModified()) return true;
    const wxString question = wxString::Format("Save changes to %s?", GetUserReadableName());
    const int answer = wxMessageBox(question, wxTheApp->GetAppDisplayName(),
                                    wxYES_NO | wxCANCEL | wxICON_EXCLAMATION, GetDocumentWindow());
    if (answer == wxYES) return Save();
    if (answer == wxNO) Modify(false);
    return answer == wxNO;
}
