// Windows has no zone database: a copy of the build host's travels with the programs.
#include <filesystem>

#include "core/platform.h"
#include "zone/zone.h"

namespace tarvella::zone {

std::string DefaultZoneDirectory() {
    const std::filesystem::path exe = ExecutablePath();
    return (exe.parent_path() / ".." / "share" / "zoneinfo").lexically_normal().string();
}

}  // namespace tarvella::zone
