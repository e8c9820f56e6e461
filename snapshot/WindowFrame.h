#pragma once

#include "snapshot/WindowGeometry.h"

class wxWindow;

namespace pagrovix {

// The frame the window manager puts around a top-level window, asked before the window is first
// shown (the window is realized for that). All zero where no window manager tells it: none runs,
// it does not answer within a second, or the display is not X11.
FrameExtents AskFrameExtents(wxWindow* topLevel);

}  // namespace pagrovix
