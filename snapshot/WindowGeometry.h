#pragma once

#include "snapshot/Selection.h"

namespace pagrovix {

// What the window manager puts around a window's client area on each side: borders, and on top
// the title bar with the border above it.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// Where a window goes: its frame, and its client area inside the frame.
struct WindowPlacement {
    PixelRect frame;
    PixelRect client;
};

// The Snapshot and Preview windows cover the desktop's work area with their sizing border just
// outside it: the side and bottom borders lie past the work area's edges and the top border above
// it, so that the title bar and the client area fill the work area. The top border is taken to be
// as thick as the bottom one; the rest of the top extent is the title bar. Negative extents (not
// known) count as none.
WindowPlacement CoverWorkArea(const PixelRect& workArea, const FrameExtents& extents);

// The Snapshot window's three bands: the toolbar strip on top, the status panel at the bottom
// and the scroll area between them.
struct SnapshotLayout {
    static constexpr int kToolbarHeight = 26;
    static constexpr int kStatusHeight = 27;

    PixelRect toolbar;
    PixelRect scrollArea;
    PixelRect status;
};
SnapshotLayout LayOutSnapshotWindow(int clientWidth, int clientHeight);

// Where the position read-out goes: its right edge 12 px inside the status panel's.
int ReadoutLeft(int statusPanelWidth, int readoutWidth);

}  // namespace pagrovix
