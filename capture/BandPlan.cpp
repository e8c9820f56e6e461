#include "capture/BandPlan.h"

#include <algorithm>

#include "imaging/Error.h"

namespace pagrovix {

BandPlan PlanBands(int width, int height, int tallestBand) {
    if (width <= 0 || height <= 0) {
        throw Error("The page is empty: it has no width or height to capture.");
    }
    BandPlan plan;
    plan.width = width;
    plan.height = height;
    tallestBand = std::clamp(tallestBand, 1, MaxBandHeight);
    plan.bandHeight = std::min(height, tallestBand);
    plan.fullBands = height / plan.bandHeight;
    plan.lastBandRows = height > tallestBand ? height % tallestBand : 0;
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
