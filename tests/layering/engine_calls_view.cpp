// An engine source that reaches up into the view layer.
#include "view/print_pages.h"

int Probe() {
    return tarvella::PrintPageCount(0, 1);
}
