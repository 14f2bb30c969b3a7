// A document source that reaches up into the engine layer.
#include "engine/division.h"

int Probe() {
    return static_cast<int>(tarvella::LevelArc(1, 1));
}
