#include "snapshot/WindowGeometry.h"

#include <algorithm>

namespace pagrovix {

WindowPlacement CoverWorkArea(const PixelRect& workArea, const FrameExtents& extents) {
    const int left = std::max(extents.left, 0);
    const int right = std::max(extents.right, 0);
    const int top = std::max(extents.top, 0);
    const int bottom = std::max(extents.bottom, 0);
    const int topBorder = std::min(top, bottom);
    WindowPlacement placement;
    placement.frame = {workArea.left - left, workArea.top - topBorder,
                       workArea.width + left + right, workArea.height + topBorder + bottom};
    placement.client = {placement.frame.left + left, placement.frame.top + top,
                        std::max(placement.frame.width - left - right, 0),
                        std::max(placement.frame.height - top - bottom, 0)};
    return placement;
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
