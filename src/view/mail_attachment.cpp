#include "view/mail_attachment.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <system_error>

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

namespace {

// mkdtemp makes the directory readable by its owner only.
std::optional<fs::path> MakePrivateDirectory(const fs::path& pattern) {
    std::string name = pattern.string();
    if (mkdtemp(name.data()) == nullptr) return std::nullopt;
    return fs::path(name);
}

}  // namespace

AttachmentFolder::AttachmentFolder(fs::path parent) : parent_(std::move(parent)) {}

AttachmentFolder::~AttachmentFolder() {
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
}

std::optional<fs::path> AttachmentFolder::Write(const MailAttachment& attachment) {
    const std::string& name = attachment.name;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return std::nullopt;
    }
    if (root_.empty()) {
        const std::optional<fs::path> root = MakePrivateDirectory(parent_ / "tarvella-mail-XXXXXX");
        if (!root) return std::nullopt;
        root_ = *root;
    }
    const std::optional<fs::path> dir = MakePrivateDirectory(root_ / "XXXXXX");
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

std::string FindOnPath(std::string_view name, const char* pathList) {
    if (name.empty() || name.find('/') != std::string_view::npos || pathList == nullptr) return {};
    const std::string_view list = pathList;
    for (std::size_t begin = 0; begin <= list.size();) {
        std::size_t end = list.find(':', begin);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view dir = list.substr(begin, end - begin);
        begin = end + 1;
        if (dir.empty()) continue;
        std::error_code ec;
        const fs::path candidate = fs::absolute(fs::path(dir) / name, ec);
        if (ec || !fs::is_regular_file(candidate, ec)) continue;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

}  // namespace tarvella
