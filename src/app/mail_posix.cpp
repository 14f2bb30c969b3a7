// POSIX: mail goes through xdg-email, which opens the desktop's mail composer.
#include <wx/app.h>
#include <wx/process.h>
#include <wx/utils.h>

#include <cstdlib>

#include "app/clipboard_mail.h"

namespace tarvella::app {

namespace {

// Reports a mail program that ended with a failure; deletes itself when the program ends.
class MailProcess final : public wxProcess {
  public:
    void OnTerminate(int, int status) override {
        // Shown from the event loop, not inside wx's handling of the child's end.
        if (status != 0) wxTheApp->CallAfter([] { ShowSendFailed(); });
        delete this;
    }
};

}  // namespace

std::string FindMailProgram() {
    return FindOnPath("xdg-email", std::getenv("PATH"));
}

void Mailer::SendFile(const std::filesystem::path& file, const std::string&) {
    const char* const argv[] = {program_.c_str(), "--attach", file.c_str(), nullptr};
    auto* process = new MailProcess;
    if (wxExecute(argv, wxEXEC_ASYNC, process) == 0) {
        delete process;
        ShowSendFailed();
    }
}

}  // namespace tarvella::app
