// Apart from the other test sources: the X11 headers define macros (None, Bool) that clash.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace pagrovix::test {

bool TurnWheel(int button) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return false;
    }
    XTestFakeButtonEvent(display, unsigned(button), True, CurrentTime);
    XTestFakeButtonEvent(display, unsigned(button), False, CurrentTime);
    XFlush(display);
    XCloseDisplay(display);
    return true;
}

bool ReadScreenPixel(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return false;
    }
    XSync(display, False);
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    bool read = false;
    if (image) {
        const unsigned long pixel = XGetPixel(image, 0, 0);
        *red = (unsigned char)((pixel & image->red_mask) >> 16);
        *green = (unsigned char)((pixel & image->green_mask) >> 8);
        *blue = (unsigned char)(pixel & image->blue_mask);
        XDestroyImage(image);
        read = true;
    }
    XCloseDisplay(display);
    return read;
}

}  // namespace pagrovix::test
