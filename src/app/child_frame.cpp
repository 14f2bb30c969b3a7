#include "app/child_frame.h"

#include <wx/menu.h>

#include "app/art.h"
#include "app/main_frame.h"

CChildFrame::CChildFrame(wxDocument* doc, wxView* view, wxMDIParentFrame* parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, doc->GetUserReadableName()) {
    SetIcons(tarvella::app::DocumentIcon());
    const auto* main = dynamic_cast<const CMainFrame*>(parent);
    wxMenuBar* bar = MakeMenuBar(true, main && main->GetMailer());
    fileMenu_ = bar->GetMenu(0);
    doc->GetDocumentManager()->FileHistoryUseMenu(RecentFilesMenu(fileMenu_));
    doc->GetDocumentManager()->FileHistoryAddFilesToMenu(RecentFilesMenu(fileMenu_));
    SetMenuBar(bar);
    Maximize();
}

CChildFrame::~CChildFrame() {
    if (wxDocManager* manager = wxDocManager::GetDocumentManager()) {
        manager->FileHistoryRemoveMenu(RecentFilesMenu(fileMenu_));
    }
}

void CChildFrame::DoGiveHelp(const wxString& text, bool show) {
    if (auto* parent = dynamic_cast<wxFrame*>(GetMDIParent())) parent->DoGiveHelp(text, show);
}
