// What a mail carries (the report as text, or the chart's data file) and under which name, where
// the attachment waits for the mail program, and how that program is found.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvella {

struct MailAttachment {
    std::string name;   // the file name the receiver sees
    std::string bytes;  // the file's content
};

// Exactly the report's text: no terminating zero and nothing of an earlier, longer report.
MailAttachment ReportTextAttachment(const std::string& title, std::string_view reportText);

// The chart image, as saving the document writes it, so that an unsaved or changed document
// mails what it shows. `path` is empty for a document that was never saved.
MailAttachment DataFileAttachment(const std::string& title, const std::string& path,
                                  std::string_view chartImage);

// Attachments written for the mail program, each in a directory of its own under one directory
// that only this user can enter. They stay until the folder goes: the mail program may read a
// file long after the command that handed it over has returned, and two mails of the same name
// must not share a file.
class AttachmentFolder {
  public:
    // The folder's own directory is made in `parent` at the first write.
    explicit AttachmentFolder(std::filesystem::path parent);
    ~AttachmentFolder();
    AttachmentFolder(const AttachmentFolder&) = delete;
    AttachmentFolder& operator=(const AttachmentFolder&) = delete;

    // The written file's path; nullopt when it could not be written or its name is not a plain
    // file name.
    std::optional<std::filesystem::path> Write(const MailAttachment& attachment);

  private:
    std::filesystem::path parent_;
    std::filesystem::path root_;
};

// The first executable regular file called `name` in the directories of `pathList` (separated by
// ':', as in PATH), as an absolute path; empty when there is none. Empty entries, which would
// mean the working directory, are skipped. POSIX only: Windows mails through MAPI.
std::string FindOnPath(std::string_view name, const char* pathList);

}  // namespace tarvella
