#include "view/report_geometry.h"

#include <algorithm>

namespace tarvella {

int ZoomStep(int percent, int steps) {
    const int last = static_cast<int>(kZoomSteps.size()) - 1;
    // The step at or above the value; from between two steps, one step down is the lower one.
    int at = static_cast<int>(std::lower_bound(kZoomSteps.begin(), kZoomSteps.end(), percent) -
                              kZoomSteps.begin());
    if (at <= last && kZoomSteps[static_cast<std::size_t>(at)] != percent && steps > 0) --at;
    return kZoomSteps[static_cast<std::size_t>(std::clamp(at + steps, 0, last))];
}

}  // namespace tarvella
