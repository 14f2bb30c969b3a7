#include "app/clipboard_mail.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/process.h>
#include <wx/utils.h>

#ifdef __WXMSW__
#include <wx/msw/registry.h>
#include <wx/msw/wrapwin.h>

#include <mapi.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <utility>

namespace tarvella::app {

namespace {

const char* const kSendFailed = "Send Mail failed to send message.";

void ShowAppMessage(const wxString& text) {
    wxMessageBox(text, wxTheApp->GetAppDisplayName(), wxOK | wxICON_EXCLAMATION);
}

#ifndef __WXMSW__
// Reports a mail program that ended with a failure; deletes itself when the program ends.
class MailProcess final : public wxProcess {
  public:
    void OnTerminate(int, int status) override {
        // Shown from the event loop, not inside wx's handling of the child's end.
        if (status != 0) wxTheApp->CallAfter([] { ShowAppMessage(kSendFailed); });
        delete this;
    }
};
#endif

// TMPDIR when it names a directory.
std::filesystem::path TemporaryDirectory() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : dir;
}

// Report texts are UTF-8; bytes that are not pass as Latin-1 rather than as nothing.
wxString TextFromBytes(const std::string& bytes) {
    const wxString text = wxString::FromUTF8(bytes);
    return text.empty() ? wxString::From8BitData(bytes.data(), bytes.size()) : text;
}

}  // namespace

void CopyTextToClipboard(wxWindow* owner, const std::string& text) {
    if (!wxTheClipboard->Open()) {
        ShowAppMessage("Cannot open the Clipboard");
        return;
    }
    wxTheClipboard->Clear();
    const bool set = wxTheClipboard->SetData(new wxTextDataObject(TextFromBytes(text)));
    wxTheClipboard->Close();
    if (!set) {
        ShowAppMessage("Unable to set Clipboard data");
        return;
    }
    wxMessageBox(
        "Successfully copied what is on the screen to the clipboard\nin plain text "
        "format.\n\nYou can \"paste\" it to any program that accepts plain text.",
        "Copied in plain text format!", wxOK | wxICON_NONE, owner);
}

#ifdef __WXMSW__
// Simple MAPI, where a mail client registered it.
std::string FindMailProgram() {
    wxRegKey key(wxRegKey::HKLM, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem");
    wxString mapi;
    wxLogNull quiet;
    return key.Exists() && key.QueryValue("MAPI", mapi) && mapi == "1" ? "MAPI32.DLL" : "";
}
#else
std::string FindMailProgram() {
    return FindOnPath("xdg-email", std::getenv("PATH"));
}
#endif

void ShowNoMailSupport() {
    ShowAppMessage("Unable to load mail system support.");
}

Mailer::Mailer(std::string program) : program_(std::move(program)), folder_(TemporaryDirectory()) {}

void Mailer::Send(const MailAttachment& attachment) {
    const std::optional<std::filesystem::path> file = folder_.Write(attachment);
    if (!file) {
        wxLogError("Could not write the mail attachment \"%s\".",
                   wxString::FromUTF8(attachment.name));
        return;
    }
#ifdef __WXMSW__
    // The client's composer, with the file attached; it stays modal while the user writes.
    static const HMODULE mapi = LoadLibraryA(program_.c_str());
    const auto send = mapi ? reinterpret_cast<LPMAPISENDMAIL>(
                                 reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendMail")))
                           : nullptr;
    std::string path = file->string();
    std::string name = attachment.name;
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
    if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT) ShowAppMessage(kSendFailed);
#else
    const char* const argv[] = {program_.c_str(), "--attach", file->c_str(), nullptr};
    auto* process = new MailProcess;
    if (wxExecute(argv, wxEXEC_ASYNC, process) == 0) {
        delete process;
        ShowAppMessage(kSendFailed);
    }
#endif
}

}  // namespace tarvella::app
