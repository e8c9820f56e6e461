#include "snapshot/PictureRegion.h"

#include <algorithm>

namespace pagrovix {

PixelRect ClipToPicture(const Bitmap24& picture, const PixelRect& region) {
    const int left = std::max(region.left, 0);
    const int top = std::max(region.top, 0);
    const int right = std::min(region.Right(), picture.Width());
    const int bottom = std::min(region.Bottom(), picture.Height());
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

void CopyRegionAsRgb(const Bitmap24& picture, const PixelRect& region, std::uint8_t* rgb) {
    for (int y = region.top; y < region.Bottom(); ++y) {
        const std::uint8_t* source = picture.Row(y).data() + std::size_t(region.left) * 3;
        for (int x = 0; x < region.width; ++x) {
            rgb[0] = source[2];
            rgb[1] = source[1];
            rgb[2] = source[0];
            rgb += 3;
            source += 3;
        }
    }
}

}  // namespace pagrovix
