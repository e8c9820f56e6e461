#pragma once

#include "snapshot/Selection.h"

namespace pagrovix {

// The Snapshot and Preview windows cover the desktop's work area with their frame just outside
// it. A frame size the toolkit cannot tell (negative) counts as no frame.
PixelRect CoverWorkArea(const PixelRect& workArea, int frameWidth, int frameHeight);

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
