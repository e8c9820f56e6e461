#pragma once

#include <cstdint>

#include "imaging/Bitmap24.h"

namespace pagrovix {

// A rectangle of picture pixels, X1 and Y1 exclusive. It may reach outside the picture.
struct CropRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;

    std::int64_t Width() const { return std::int64_t(x1) - x0; }
    std::int64_t Height() const { return std::int64_t(y1) - y0; }
};

// The pixels of picture inside rect, unchanged, in a new picture of rect's size; what lies
// outside the picture is white. Throws Error when rect is empty or too large to hold.
Bitmap24 CropPicture(const Bitmap24& picture, const CropRect& rect);

}  // namespace pagrovix
