#include "snapshot/WindowGeometry.h"

#include <algorithm>

namespace pagrovix {

PixelRect CoverWorkArea(const PixelRect& workArea, int frameWidth, int frameHeight) {
    const int cx = std::max(frameWidth, 0);
    const int cy = std::max(frameHeight, 0);
    return {workArea.left - cx, workArea.top - cy, workArea.width + 2 * cx,
            workArea.height + 2 * cy};
}

SnapshotLayout LayOutSnapshotWindow(int clientWidth, int clientHeight) {
    const int width = std::max(clientWidth, 0);
    const int height = std::max(clientHeight, 0);
    SnapshotLayout layout;
    layout.toolbar = {0, 0, width, std::min(SnapshotLayout::kToolbarHeight, height)};
    const int statusTop = std::max(height - SnapshotLayout::kStatusHeight, layout.toolbar.Bottom());
    layout.status = {0, statusTop, width, height - statusTop};
    layout.scrollArea = {0, layout.toolbar.Bottom(), width, statusTop - layout.toolbar.Bottom()};
    return layout;
}

int ReadoutLeft(int statusPanelWidth, int readoutWidth) {
    return statusPanelWidth - readoutWidth - 12;
}

}  // namespace pagrovix
