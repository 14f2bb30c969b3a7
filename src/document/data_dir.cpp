#include "document/data_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tarvella {

std::string UserDataDirectory(const char* xdgDataHome, const char* home) {
    // XDG directories must be absolute; a relative value counts as unset.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return (std::filesystem::path(xdgDataHome) / "tarvella").string();
    }
    if (home != nullptr && home[0] == '/') {
        return (std::filesystem::path(home) / ".local/share/tarvella").string();
    }
    return {};
}

bool MakeDataDirectory(const std::string& dir) {
    if (dir.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

}  // namespace tarvella
