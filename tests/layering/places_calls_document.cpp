// A places source that calls the document layer, above it: must fail to link.
#include "document/chart_data.h"

int Probe() {
    return tarvella::DefaultChart().level;
}
