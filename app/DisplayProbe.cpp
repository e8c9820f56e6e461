#include "app/DisplayProbe.h"

#include <cstdlib>

#include <X11/Xlib.h>
#include <wayland-client.h>

namespace pagrovix {

bool CanOpenDisplay(const char* x11Display, const char* waylandDisplay) {
    // A relative Wayland socket name lives in XDG_RUNTIME_DIR; without it the client library only
    // prints a complaint.
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    const bool waylandReachable = waylandDisplay && *waylandDisplay &&
                                  (waylandDisplay[0] == '/' || (runtimeFolder && *runtimeFolder));
    if (waylandReachable) {
        if (wl_display* display = wl_display_connect(waylandDisplay)) {
            wl_display_disconnect(display);
            return true;
        }
    }
    if (x11Display && *x11Display) {
        if (Display* display = XOpenDisplay(x11Display)) {
            XCloseDisplay(display);
            return true;
        }
    }
    return false;
}

}  // namespace pagrovix
