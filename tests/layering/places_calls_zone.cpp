// A places source that uses the zones and the core, as the layers allow.
#include "zone/zone.h"

int Probe() {
    return static_cast<int>(tarvella::zone::FormatOffset(0).size());
}
