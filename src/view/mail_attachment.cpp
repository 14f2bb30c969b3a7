#include "view/mail_attachment.h"

#include <fstream>
#include <system_error>

#include "core/platform.h"
#include "view/print_pages.h"

namespace tarvella {

namespace fs = std::filesystem;

MailAttachment ReportTextAttachment(const std::string& title, std::string_view reportText) {
    return {TextAttachmentName(title), std::string(reportText.substr(0, reportText.find('\0')))};
}

MailAttachment DataFileAttachment(const std::string& title, const std::string& path,
                                  std::string_view chartImage) {
    return {DataAttachmentName(title, path), std::string(chartImage)};
}

AttachmentFolder::AttachmentFolder(fs::path parent) : parent_(std::move(parent)) {}

AttachmentFolder::~AttachmentFolder() {
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
}

std::optional<fs::path> AttachmentFolder::Write(const MailAttachment& attachment) {
    const std::string& name = attachment.name;
    if (!IsPlainFileName(name)) return std::nullopt;
    if (root_.empty()) {
        const std::optional<fs::path> root = MakePrivateDirectory(parent_, "tarvella-mail-");
        if (!root) return std::nullopt;
        root_ = *root;
    }
    const std::optional<fs::path> dir = MakePrivateDirectory(root_, "");
    if (!dir) return std::nullopt;
    const fs::path file = *dir / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(attachment.bytes.data(), static_cast<std::streamsize>(attachment.bytes.size()));
    out.close();
    if (!out) {
        std::error_code ec;
        fs::remove_all(*dir, ec);
        return std::nullopt;
    }
    return file;
}

}  // namespace tarvella
