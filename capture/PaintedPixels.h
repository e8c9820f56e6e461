#pragma once

#include <cstdint>

#include "imaging/Bitmap24.h"

namespace pagrovix {

// How the engine hands over a painted view: one native-endian 32-bit word per pixel, 0xAARRGGBB
// with premultiplied alpha (or an unused top byte when hasAlpha is false), rows stride bytes apart.
struct PaintedPixels {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool hasAlpha = true;
};

// Sets target to width x rows and fills it with the top-left width x rows of painted. A pixel that
// is not opaque is shown over white, as the browser shows a page. Throws Error when painted is
// smaller than that.
void CopyPaintedRows(const PaintedPixels& painted, int width, int rows, Bitmap24& target);

// The same into rows [y, y + rows) of target, which is already width wide: a band goes straight
// into its place in the page. Throws Error when it does not fit there.
void CopyPaintedRowsInto(const PaintedPixels& painted, int width, int rows, Bitmap24& target,
                         int y);

}  // namespace pagrovix
