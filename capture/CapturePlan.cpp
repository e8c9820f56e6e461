#include "capture/CapturePlan.h"

#include <algorithm>
#include <limits>

#include "capture/CaptureLimits.h"
#include "imaging/Error.h"

namespace pagrovix {
namespace {

// The starts of the view-sized steps over a length, and where the view scrolls for each: the
// last step scrolls only as far as the page goes and takes its rows from lower in the view.
struct Step {
    int scroll, start, length;
};

std::vector<Step> Steps(int length, int view) {
    std::vector<Step> steps;
    for (int start = 0; start < length; start += view) {
        steps.push_back(
            {std::min(start, std::max(0, length - view)), start, std::min(view, length - start)});
    }
    return steps;
}

}  // namespace

CapturePlan PlanCapture(const PageGeometry& page) {
    const int width = page.document.width, height = page.document.height;
    if (width <= 0 || height <= 0) {
        throw Error("The page is empty: it has no width or height to capture.");
    }
    const int scale = std::max(1, page.scale);
    CapturePlan plan;
    plan.width = width;
    plan.height = height;
    plan.scale = scale;
    CheckPageWidth(width, scale);
    if (height > std::numeric_limits<int>::max() / scale) {
        throw Error("The page is too tall to capture.");
    }
    plan.pictureWidth = width * scale;
    plan.pictureHeight = height * scale;
    plan.wholeDocument = plan.pictureHeight <= MaxBandHeight;
    if (plan.wholeDocument) {
        return plan;
    }
    if (page.view.width <= 0 || page.view.height <= 0) {
        throw Error(
            "The browser shows no part of the page, so a page this tall cannot be "
            "captured.");
    }
    const std::vector<Step> across = Steps(width, page.view.width);
    const std::vector<Step> down = Steps(height, page.view.height);
    plan.tiles.reserve(across.size() * down.size());
    for (const Step& row : down) {
        for (const Step& column : across) {
            plan.tiles.push_back(
                {column.scroll, row.scroll, column.start, row.start, column.length, row.length});
        }
    }
    return plan;
}

}  // namespace pagrovix
