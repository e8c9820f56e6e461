#include "shot/CropRect.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "imaging/Error.h"

namespace pagrovix {

Bitmap24 CropPicture(const Bitmap24& picture, const CropRect& rect) {
    if (rect.Width() <= 0 || rect.Height() <= 0 || rect.Width() > INT32_MAX ||
        rect.Height() > INT32_MAX) {
        throw Error("Invalid crop rectangle " + std::to_string(rect.x0) + "," +
                    std::to_string(rect.y0) + "," + std::to_string(rect.x1) + "," +
                    std::to_string(rect.y1));
    }
    Bitmap24 crop(int(rect.Width()), int(rect.Height()));
    // 64-bit bounds: a rectangle near the limits of int must not wrap around.
    const std::int64_t left = std::max<std::int64_t>(rect.x0, 0);
    const std::int64_t right = std::min<std::int64_t>(rect.x1, picture.Width());
    const std::int64_t top = std::max<std::int64_t>(rect.y0, 0);
    const std::int64_t bottom = std::min<std::int64_t>(rect.y1, picture.Height());
    if (left >= right || top >= bottom) {
        crop.Fill(255, 255, 255);
        return crop;
    }
    const std::size_t before = std::size_t(left - rect.x0) * 3;
    const std::size_t inside = std::size_t(right - left) * 3;
    const std::size_t after = crop.Stride() - before - inside;
    for (int y = 0; y < crop.Height(); ++y) {
        std::uint8_t* target = crop.Row(y).data();
        const std::int64_t sourceY = rect.y0 + std::int64_t(y);
        if (sourceY < top || sourceY >= bottom) {
            std::memset(target, 255, crop.Stride());
            continue;
        }
        std::memset(target, 255, before);
        std::memcpy(target + before, picture.Row(int(sourceY)).data() + std::size_t(left) * 3,
                    inside);
        std::memset(target + before + inside, 255, after);
    }
    return crop;
}

}  // namespace pagrovix
