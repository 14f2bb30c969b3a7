#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "view/mail_attachment.h"

namespace tarvella {

namespace fs = std::filesystem;

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
