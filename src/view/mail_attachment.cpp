#include "view/mail_attachment.h"

#ifndef _WIN32
#include <unistd.h>
#endif

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
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return std::nullopt;
    }
#ifdef _WIN32
    // Separators and drive letters there too.
    if (name.find_first_of("\\:") != std::string::npos) return std::nullopt;
#endif
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
#ifdef _WIN32
        return candidate.string();  // no execute bit there
#else
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
#endif
    }
    return {};
}

}  // namespace tarvella
