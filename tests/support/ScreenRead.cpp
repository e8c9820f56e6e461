// Apart from the other test sources: the X11 headers define macros (None, Bool) that clash.
#include "tests/support/ScreenRead.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace pagrovix::test {

std::vector<std::uint32_t> ReadScreen(int left, int top, int width, int height) {
    std::vector<std::uint32_t> pixels;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return pixels;
    }
    // Whatever the program has drawn is on the server before it is read.
    XSync(display, False);
    XImage* image = XGetImage(display, DefaultRootWindow(display), left, top, unsigned(width),
                              unsigned(height), AllPlanes, ZPixmap);
    if (image) {
        pixels.reserve(std::size_t(width) * std::size_t(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                pixels.push_back(std::uint32_t(((pixel & image->red_mask) >> 16) << 16 |
                                               ((pixel & image->green_mask) >> 8) << 8 |
                                               (pixel & image->blue_mask)));
            }
        }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return pixels;
}

}  // namespace pagrovix::test
