#include "snapshot/WindowFrame.h"

#include <chrono>
#include <thread>

#include <wx/window.h>

// X11 last: its macros clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace pagrovix {
namespace {

bool ReadFrameExtents(Display* display, Window window, Atom property, FrameExtents& extents) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, property, 0, 4, False, XA_CARDINAL,
                                          &type, &format, &count, &after, &data);
    const bool found = status == Success && data && format == 32 && count == 4;
    if (found) {
        const long* values = reinterpret_cast<const long*>(data);
        extents = {int(values[0]), int(values[1]), int(values[2]), int(values[3])};
    }
    if (data) {
        XFree(data);
    }
    return found;
}

}  // namespace

FrameExtents AskFrameExtents(wxWindow* topLevel) {
    GtkWidget* widget = topLevel->GetHandle();
    GdkDisplay* gdkDisplay = gtk_widget_get_display(widget);
    if (!GDK_IS_X11_DISPLAY(gdkDisplay) ||
        !gdk_x11_screen_supports_net_wm_hint(
            gtk_widget_get_screen(widget),
            gdk_atom_intern_static_string("_NET_REQUEST_FRAME_EXTENTS"))) {
        return {};
    }
    gtk_widget_realize(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    if (!gdkWindow) {
        return {};
    }
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    const Window window = GDK_WINDOW_XID(gdkWindow);
    const Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    FrameExtents extents;
    if (ReadFrameExtents(display, window, property, extents)) {
        return extents;
    }
    // The window manager sets the property on a window it does not manage yet when asked to.
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureNotifyMask | SubstructureRedirectMask, &request);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    do {
        XSync(display, False);
        if (ReadFrameExtents(display, window, property, extents)) {
            return extents;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
    return {};
}

}  // namespace pagrovix
