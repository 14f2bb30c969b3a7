// The report leaves the program: copied to the clipboard as plain text, or mailed as a text
// attachment or as the chart's data file through xdg-email (Simple MAPI on Windows).
#pragma once

#include <filesystem>
#include <string>

#include "view/mail_attachment.h"

class wxWindow;

namespace tarvella::app {

// Puts the text on the clipboard and tells the user, in a box owned by `owner`, how that went.
void CopyTextToClipboard(wxWindow* owner, const std::string& text);

// xdg-email as found on PATH (on Windows the MAPI library, when a mail client registered it);
// empty when there is none.
std::string FindMailProgram();

// For a mail command that reaches a view although no mail program was found.
void ShowNoMailSupport();
// The mail program did not take the message.
void ShowSendFailed();

// Hands one attachment at a time to the mail program, without waiting for it: it may keep a
// composer open for as long as the user writes. The attachments stay until the mailer goes.
class Mailer {
  public:
    explicit Mailer(std::string program);

    // Failures are shown to the user, a failure of the mail program once it ends.
    void Send(const MailAttachment& attachment);

  private:
    // Hands the written attachment to the platform's mail program.
    void SendFile(const std::filesystem::path& file, const std::string& attachmentName);

    std::string program_;
    AttachmentFolder folder_;
};

}  // namespace tarvella::app
