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

// Copies the painted rectangle at (left, top), width x rows, into target at (x, y). A pixel that is
// not opaque is shown over white, as the browser shows a page. Throws Error when the rectangle is
// not inside painted or does not fit target there.
void CopyPaintedArea(const PaintedPixels& painted, int left, int top, int width, int rows,
                     Bitmap24& target, int x, int y);

}  // namespace pagrovix
