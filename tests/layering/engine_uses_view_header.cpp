// An engine source that takes a constant of the view layer's header alone: no symbol to link, so
// only the missing header can stop it.
#include "view/report_geometry.h"

int Probe() {
    return tarvella::kReportWidth;
}
