// A core source that reaches up into the document layer.
#include "document/chart_data.h"

int Probe() {
    return tarvella::DefaultChart().level;
}
