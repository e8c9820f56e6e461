#include "capture/PaintedPixels.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "capture/MemoryMapping.h"
#include "imaging/Error.h"

namespace pagrovix {
namespace {

std::uint32_t Load(const std::uint8_t* bytes) {
    std::uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

void Store(std::uint8_t* bytes, std::uint32_t word) {
    std::memcpy(bytes, &word, 4);
}

std::uint8_t Channel(std::uint32_t bits, std::uint32_t uncovered) {
    return std::uint8_t(std::min<std::uint32_t>(255, (bits & 0xFF) + uncovered));
}

// Any pixel, opaque or not: premultiplied, so over white each channel gains what the alpha
// leaves uncovered.
void ConvertRow(const std::uint8_t* source, int width, bool hasAlpha, std::uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = Load(source + 4 * std::size_t(x));
        const std::uint32_t uncovered = hasAlpha ? 255 - (pixel >> 24) : 0;
        out[3 * x] = Channel(pixel, uncovered);
        out[3 * x + 1] = Channel(pixel >> 8, uncovered);
        out[3 * x + 2] = Channel(pixel >> 16, uncovered);
    }
}

// Opaque pixels, four at a time: on a little-endian machine the word 0xAARRGGBB is the bytes
// B, G, R, A, so dropping every fourth byte gives the row. Returns the AND of all words, whose
// top byte tells whether every pixel really was opaque.
std::uint32_t ConvertOpaqueRow(const std::uint8_t* source, int width, std::uint8_t* out) {
    std::uint32_t all = 0xFFFFFFFFu;
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const std::uint32_t p0 = Load(source), p1 = Load(source + 4), p2 = Load(source + 8),
                            p3 = Load(source + 12);
        all &= p0 & p1 & p2 & p3;
        Store(out, (p0 & 0x00FFFFFFu) | (p1 << 24));
        Store(out + 4, ((p1 >> 8) & 0x0000FFFFu) | (p2 << 16));
        Store(out + 8, ((p2 >> 16) & 0x000000FFu) | (p3 << 8));
        source += 16;
        out += 12;
    }
    for (; x < width; ++x) {
        const std::uint32_t pixel = Load(source);
        all &= pixel;
        out[0] = std::uint8_t(pixel);
        out[1] = std::uint8_t(pixel >> 8);
        out[2] = std::uint8_t(pixel >> 16);
        source += 4;
        out += 3;
    }
    return all;
}

}  // namespace

void CopyPaintedArea(const PaintedPixels& painted, int left, int top, int width, int rows,
                     Bitmap24& target, int x, int y) {
    if (left < 0 || top < 0 || width < 0 || rows < 0 || painted.width - left < width ||
        painted.height - top < rows) {
        throw Error("The browser painted " + std::to_string(painted.width) + " x " +
                    std::to_string(painted.height) + " pixels instead of " +
                    std::to_string(left + width) + " x " + std::to_string(top + rows) + ".");
    }
    if (x < 0 || y < 0 || width > target.Width() - x || rows > target.Height() - y) {
        throw Error("A part of the page does not fit the picture.");
    }
    if (rows == 0 || width == 0) {
        return;
    }
    const std::size_t span = target.Stride() * std::size_t(rows - 1) + 3 * std::size_t(width);
    MapForWriting(target.Row(y).data() + 3 * std::size_t(x), span);
    for (int row = 0; row < rows; ++row) {
        const std::uint8_t* source = painted.data +
                                     std::size_t(painted.stride) * std::size_t(top + row) +
                                     4 * std::size_t(left);
        std::uint8_t* out = target.Row(y + row).data() + 3 * std::size_t(x);
        if constexpr (std::endian::native == std::endian::little) {
            const std::uint32_t all = ConvertOpaqueRow(source, width, out);
            if (!painted.hasAlpha || (all >> 24) == 0xFF) {
                continue;
            }
        }
        ConvertRow(source, width, painted.hasAlpha, out);
    }
}

}  // namespace pagrovix
