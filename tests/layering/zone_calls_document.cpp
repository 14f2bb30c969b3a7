// A zone source that reaches over into the document layer, which it stands beside.
#include "document/chart_data.h"

int Probe() {
    return tarvella::DefaultChart().level;
}
