#include "app/mail_commands.h"

#include "app/clipboard_mail.h"
#include "app/main_frame.h"
#include "app/orvo_doc.h"
#include "view/mail_attachment.h"

namespace {

tarvella::app::Mailer* MailerOrSayNone(wxWindow* mainFrame) {
    const auto* main = dynamic_cast<const CMainFrame*>(mainFrame);
    tarvella::app::Mailer* mailer = main ? main->GetMailer() : nullptr;
    if (!mailer) tarvella::app::ShowNoMailSupport();
    return mailer;
}

}  // namespace

void MailScreenText(wxWindow* mainFrame, const COrvoDoc& doc, const std::string& text) {
    if (tarvella::app::Mailer* mailer = MailerOrSayNone(mainFrame)) {
        mailer->Send(tarvella::ReportTextAttachment(doc.GetUserReadableName().utf8_string(), text));
    }
}

void MailDataFile(wxWindow* mainFrame, const COrvoDoc& doc) {
    tarvella::app::Mailer* mailer = MailerOrSayNone(mainFrame);
    if (!mailer) return;
    // An untitled document's file name is only its title.
    const std::string path = doc.GetDocumentSaved() ? doc.GetFilename().utf8_string() : "";
    mailer->Send(tarvella::DataFileAttachment(doc.GetUserReadableName().utf8_string(), path,
                                              doc.ChartImage()));
}
