#include "capture/PaintedPixels.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

std::uint8_t Channel(std::uint32_t bits, std::uint32_t uncovered) {
    return std::uint8_t(std::min<std::uint32_t>(255, (bits & 0xFF) + uncovered));
}

}  // namespace

void CopyPaintedRows(const PaintedPixels& painted, int width, int rows, Bitmap24& target) {
    if (painted.width < width || painted.height < rows) {
        throw Error("The browser painted " + std::to_string(painted.width) + " x " +
                    std::to_string(painted.height) + " pixels instead of " + std::to_string(width) +
                    " x " + std::to_string(rows) + ".");
    }
    target.SetSize(width, rows);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* source = painted.data + std::size_t(painted.stride) * std::size_t(y);
        std::uint8_t* out = target.Row(y).data();
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, source + 4 * std::size_t(x), 4);
            // Premultiplied: over white each channel gains what the alpha leaves uncovered.
            const std::uint32_t uncovered = painted.hasAlpha ? 255 - (pixel >> 24) : 0;
            out[3 * x] = Channel(pixel, uncovered);
            out[3 * x + 1] = Channel(pixel >> 8, uncovered);
            out[3 * x + 2] = Channel(pixel >> 16, uncovered);
        }
    }
}

}  // namespace pagrovix
