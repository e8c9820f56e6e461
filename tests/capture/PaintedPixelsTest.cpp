#include "capture/PaintedPixels.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

// A painted view of width x height words, stride bytes a row, each word given by pixel(x, y).
template <typename Pixel>
std::vector<std::uint8_t> Painted(int width, int height, int stride, Pixel pixel) {
    std::vector<std::uint8_t> bytes(std::size_t(stride) * height, 0xEE);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t word = pixel(x, y);
            std::memcpy(bytes.data() + std::size_t(y) * stride + 4 * x, &word, 4);
        }
    }
    return bytes;
}

TEST(PaintedPixels, TurnsOpaqueWordsIntoBlueGreenRedAndCutsTheRightEdgeAndBottom) {
    // 5 x 4 painted, padded rows; the capture keeps 3 x 2 of it.
    const auto bytes = Painted(5, 4, 24, [](int x, int y) {
        return 0xFF000000u | std::uint32_t(x * 10 + y) << 16 | 0x00AB00u | std::uint32_t(y);
    });
    Bitmap24 target(7, 7);
    CopyPaintedRows({bytes.data(), 5, 4, 24, true}, 3, 2, target);
    ASSERT_EQ(target.Width(), 3);
    ASSERT_EQ(target.Height(), 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t* pixel = target.Row(y).data() + 3 * x;
            EXPECT_EQ(pixel[0], y) << x << "," << y;           // blue
            EXPECT_EQ(pixel[1], 0xAB) << x << "," << y;        // green
            EXPECT_EQ(pixel[2], x * 10 + y) << x << "," << y;  // red
        }
    }
}

TEST(PaintedPixels, ShowsPixelsThatAreNotOpaqueOverWhite) {
    // Premultiplied: fully transparent, half-covered red, and an unused top byte without alpha.
    const std::vector<std::uint32_t> words = {0x00000000u, 0x80800000u};
    Bitmap24 target;
    CopyPaintedRows({reinterpret_cast<const std::uint8_t*>(words.data()), 2, 1, 8, true}, 2, 1,
                    target);
    const std::uint8_t* row = target.Row(0).data();
    EXPECT_EQ(std::vector<int>(row, row + 6), (std::vector<int>{255, 255, 255, 127, 127, 255}));

    const std::uint32_t noAlpha = 0x00102030u;
    CopyPaintedRows({reinterpret_cast<const std::uint8_t*>(&noAlpha), 1, 1, 4, false}, 1, 1,
                    target);
    EXPECT_EQ(target.Row(0)[0], 0x30);
    EXPECT_EQ(target.Row(0)[1], 0x20);
    EXPECT_EQ(target.Row(0)[2], 0x10);
}

TEST(PaintedPixels, BandGoesStraightIntoItsRowsOfThePage) {
    // 7 wide (not a multiple of four), one row with a see-through pixel among opaque ones.
    const auto bytes = Painted(9, 3, 36, [](int x, int y) {
        const std::uint32_t alpha = (y == 1 && x == 5) ? 0x00u : 0xFFu;
        return alpha << 24 | std::uint32_t(x) << 16 | std::uint32_t(y) << 8 | 0x42u;
    });
    Bitmap24 page(7, 10);
    page.Fill(1, 2, 3);
    CopyPaintedRowsInto({bytes.data(), 9, 3, 36, true}, 7, 3, page, 6);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 7; ++x) {
            const std::uint8_t* pixel = page.Row(y).data() + 3 * x;
            const std::vector<int> got(pixel, pixel + 3);
            if (y < 6 || y > 8) {
                EXPECT_EQ(got, (std::vector<int>{1, 2, 3})) << "untouched row " << y;
            } else if (y == 7 && x == 5) {
                EXPECT_EQ(got, (std::vector<int>{255, 255, 255})) << "transparent over white";
            } else {
                EXPECT_EQ(got, (std::vector<int>{0x42, y - 6, x})) << x << "," << y;
            }
        }
    }
}

TEST(PaintedPixels, BandThatDoesNotFitThePageIsRefused) {
    const auto bytes = Painted(4, 3, 16, [](int, int) { return 0xFF000000u; });
    Bitmap24 page(4, 5);
    EXPECT_THROW(CopyPaintedRowsInto({bytes.data(), 4, 3, 16, true}, 4, 3, page, 3), Error);
    EXPECT_THROW(CopyPaintedRowsInto({bytes.data(), 4, 3, 16, true}, 4, 3, page, -1), Error);
    Bitmap24 narrow(3, 5);
    EXPECT_THROW(CopyPaintedRowsInto({bytes.data(), 4, 3, 16, true}, 4, 3, narrow, 0), Error);
    EXPECT_NO_THROW(CopyPaintedRowsInto({bytes.data(), 4, 3, 16, true}, 4, 3, page, 2));
}

TEST(PaintedPixels, RefusesAPaintingSmallerThanTheBand) {
    const auto bytes = Painted(4, 3, 16, [](int, int) { return 0xFF000000u; });
    Bitmap24 target;
    EXPECT_THROW(CopyPaintedRows({bytes.data(), 4, 3, 16, true}, 5, 3, target), Error);
    EXPECT_THROW(CopyPaintedRows({bytes.data(), 4, 3, 16, true}, 4, 4, target), Error);
}

}  // namespace
}  // namespace pagrovix
