#include "zone/zone.h"

namespace tarvella::zone {

std::string DefaultZoneDirectory() {
    return "/usr/share/zoneinfo";
}

}  // namespace tarvella::zone
