#include "app/clipboard_mail.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/process.h>
#include <wx/utils.h>

#include <cstdlib>
#include <filesystem>
#include <utility>

namespace tarvella::app {

namespace {

const char* const kSendFailed = "Send Mail failed to send message.";

void ShowAppMessage(const wxString& text) {
    wxMessageBox(text, wxTheApp->GetAppDisplayName(), wxOK | wxICON_EXCLAMATION);
}

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

void ShowSendFailed() {
    ShowAppMessage(kSendFailed);
}

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
    SendFile(*file, attachment.name);
}

}  // namespace tarvella::app
