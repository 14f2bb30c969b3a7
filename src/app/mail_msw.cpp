// Windows: mail goes through Simple MAPI, where a mail client registered it.
#include <wx/app.h>
#include <wx/log.h>
#include <wx/msw/registry.h>
#include <wx/msw/wrapwin.h>
#include <wx/window.h>

#include <mapi.h>

#include "app/clipboard_mail.h"

namespace tarvella::app {

std::string FindMailProgram() {
    wxRegKey key(wxRegKey::HKLM, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem");
    wxString mapi;
    wxLogNull quiet;
    return key.Exists() && key.QueryValue("MAPI", mapi) && mapi == "1" ? "MAPI32.DLL" : "";
}

void Mailer::SendFile(const std::filesystem::path& file, const std::string& attachmentName) {
    // The client's composer, with the file attached; it stays modal while the user writes.
    static const HMODULE mapi = LoadLibraryA(program_.c_str());
    const auto send = mapi ? reinterpret_cast<LPMAPISENDMAIL>(
                                 reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendMail")))
                           : nullptr;
    std::string path = file.string();
    std::string name = attachmentName;
    MapiFileDesc desc{};
    desc.nPosition = static_cast<ULONG>(-1);
    desc.lpszPathName = path.data();
    desc.lpszFileName = name.data();
    MapiMessage message{};
    message.nFileCount = 1;
    message.lpFiles = &desc;
    wxWindow* top = wxTheApp->GetTopWindow();
    const ULONG result = send ? send(0, reinterpret_cast<ULONG_PTR>(top ? top->GetHWND() : nullptr),
                                     &message, MAPI_LOGON_UI | MAPI_DIALOG, 0)
                              : MAPI_E_FAILURE;
    if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT) ShowSendFailed();
}

}  // namespace tarvella::app
