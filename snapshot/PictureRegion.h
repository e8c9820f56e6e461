#pragma once

#include <cstdint>

#include "imaging/Bitmap24.h"
#include "snapshot/Selection.h"

namespace pagrovix {

// The part of region that lies inside the picture (empty width or height when none does).
PixelRect ClipToPicture(const Bitmap24& picture, const PixelRect& region);

// Copies a region that lies inside the picture as packed R,G,B rows (the order screen images
// take) into rgb, which holds 3 x width x height bytes. Only the visible part of a tall picture
// is ever converted this way.
void CopyRegionAsRgb(const Bitmap24& picture, const PixelRect& region, std::uint8_t* rgb);

}  // namespace pagrovix
