#include "capture/BandPlan.h"

#include "imaging/Error.h"

namespace pagrovix {

BandPlan PlanBands(int width, int height) {
    if (width <= 0 || height <= 0) {
        throw Error("The page is empty: it has no width or height to capture.");
    }
    BandPlan plan;
    plan.width = width;
    plan.height = height;
    plan.bandHeight = height <= MaxBandHeight ? height : MaxBandHeight;
    plan.fullBands = height / plan.bandHeight;
    plan.lastBandRows = height > MaxBandHeight ? height % MaxBandHeight : 0;
    plan.bands.reserve(std::size_t(plan.fullBands) + 1);
    for (int i = 0; i < plan.fullBands; ++i) {
        plan.bands.push_back({i * plan.bandHeight, plan.bandHeight});
    }
    if (plan.lastBandRows > 0) {
        plan.bands.push_back({height - plan.lastBandRows, plan.lastBandRows});
    }
    return plan;
}

}  // namespace pagrovix
