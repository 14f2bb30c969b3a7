#include <cstdlib>
#include <filesystem>

#include "document/data_dir.h"

namespace tarvella {

std::string DefaultUserDataDirectory() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || !std::filesystem::path(appData).is_absolute()) return {};
    return (std::filesystem::path(appData) / "Tarvella").string();
}

}  // namespace tarvella
