#pragma once

#include <functional>

#include "capture/PageCapture.h"

class wxWindow;

namespace pagrovix {

// The program's own capture callbacks: the shared busy state (no control), the error box with an
// empty title bar, showPicture for pictures the Snapshot window takes, and SavePageAsPng for
// taller pages, with owner as the dialogs' parent.
PageCapture::Callbacks WindowCaptureCallbacks(wxWindow* owner,
                                              std::function<void(Bitmap24 picture)> showPicture);

}  // namespace pagrovix
