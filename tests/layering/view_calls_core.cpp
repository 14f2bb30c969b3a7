// A view source that uses the core, as the layers allow.
#include "core/calendar.h"

int Probe() {
    return tarvella::IsLeapYear(2000);
}
