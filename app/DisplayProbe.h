#pragma once

namespace pagrovix {

// Whether a window system answers on the named display (Wayland first, as the toolkit tries it
// first, then X11). Probed without the toolkit, which would print warnings of its own.
bool CanOpenDisplay(const char* x11Display, const char* waylandDisplay);

}  // namespace pagrovix
