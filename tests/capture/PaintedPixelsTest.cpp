#include "capture/PaintedPixels.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include "capture/MemoryMapping.h"
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
    Bitmap24 target(3, 2);
    CopyPaintedArea({bytes.data(), 5, 4, 24, true}, 0, 0, 3, 2, target, 0, 0);
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
    Bitmap24 target(2, 1);
    CopyPaintedArea({reinterpret_cast<const std::uint8_t*>(words.data()), 2, 1, 8, true}, 0, 0, 2,
                    1, target, 0, 0);
    const std::uint8_t* row = target.Row(0).data();
    EXPECT_EQ(std::vector<int>(row, row + 6), (std::vector<int>{255, 255, 255, 127, 127, 255}));

    const std::uint32_t noAlpha = 0x00102030u;
    CopyPaintedArea({reinterpret_cast<const std::uint8_t*>(&noAlpha), 1, 1, 4, false}, 0, 0, 1, 1,
                    target, 0, 0);
    EXPECT_EQ(target.Row(0)[0], 0x30);
    EXPECT_EQ(target.Row(0)[1], 0x20);
    EXPECT_EQ(target.Row(0)[2], 0x10);
}

TEST(PaintedPixels, PartOfTheViewGoesStraightIntoItsPlaceInThePicture) {
    // Painted 9 x 5; its part at (2, 1), 7 x 3 (not a multiple of four wide), with one
    // see-through pixel among opaque ones, goes to (1, 6) of a 9 x 10 picture.
    const auto bytes = Painted(9, 5, 36, [](int x, int y) {
        const std::uint32_t alpha = (y == 2 && x == 6) ? 0x00u : 0xFFu;
        return alpha << 24 | std::uint32_t(x) << 16 | std::uint32_t(y) << 8 | 0x42u;
    });
    Bitmap24 page(9, 10);
    page.Fill(1, 2, 3);
    CopyPaintedArea({bytes.data(), 9, 5, 36, true}, 2, 1, 7, 3, page, 1, 6);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 9; ++x) {
            const std::uint8_t* pixel = page.Row(y).data() + 3 * x;
            const std::vector<int> got(pixel, pixel + 3);
            if (y < 6 || y > 8 || x < 1 || x > 7) {
                EXPECT_EQ(got, (std::vector<int>{1, 2, 3})) << "untouched " << x << "," << y;
            } else if (y == 7 && x == 5) {
                EXPECT_EQ(got, (std::vector<int>{255, 255, 255})) << "transparent over white";
            } else {
                EXPECT_EQ(got, (std::vector<int>{0x42, y - 5, x + 1})) << x << "," << y;
            }
        }
    }
}

TEST(PaintedPixels, PartOutsideThePaintingOrThePictureIsRefused) {
    const auto bytes = Painted(4, 3, 16, [](int, int) { return 0xFF000000u; });
    const PaintedPixels painted{bytes.data(), 4, 3, 16, true};
    Bitmap24 page(4, 5);
    EXPECT_THROW(CopyPaintedArea(painted, 0, 0, 4, 3, page, 0, 3), Error);
    EXPECT_THROW(CopyPaintedArea(painted, 0, 0, 4, 3, page, 0, -1), Error);
    EXPECT_THROW(CopyPaintedArea(painted, 0, 0, 4, 3, page, 1, 0), Error);
    EXPECT_THROW(CopyPaintedArea(painted, 1, 0, 4, 3, page, 0, 0), Error);
    EXPECT_THROW(CopyPaintedArea(painted, 0, 1, 4, 3, page, 0, 0), Error);
    EXPECT_THROW(CopyPaintedArea(painted, -1, 0, 2, 2, page, 0, 0), Error);
    EXPECT_NO_THROW(CopyPaintedArea(painted, 0, 0, 4, 3, page, 0, 2));
    EXPECT_NO_THROW(CopyPaintedArea(painted, 1, 1, 3, 2, page, 1, 3));
}

// The picture may already hold painted rows while its memory is mapped, a few megabytes a call:
// over a block of many calls that starts and ends inside pages, every byte stays as it was.
TEST(PaintedPixels, MappingMemoryAheadLeavesWhatItHolds) {
    std::vector<std::uint8_t> bytes((std::size_t(9) << 20) + 4099);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = std::uint8_t(i * 131 + (i >> 12));
    }
    const std::vector<std::uint8_t> before = bytes;
    MapForWriting(bytes.data() + 7, bytes.size() - 11);
    MapForReading(bytes.data() + 1, bytes.size() - 1);
    MapForWriting(bytes.data(), 0);
    EXPECT_TRUE(bytes == before);
}

// A painting copied a band at a time gives back the whole pages inside the band, and only those:
// a page it shares with the next band still holds rows to be copied. Seen through a second
// mapping, as the engine's process would see it.
TEST(PaintedPixels, SharedMemoryGoesBackOnlyInWholePagesInsideTheBlock) {
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    const std::size_t size = 5 * page;
    const int memory = memfd_create("painting", 0);
    ASSERT_GE(memory, 0);
    ASSERT_EQ(ftruncate(memory, off_t(size)), 0);
    auto* copied = static_cast<std::uint8_t*>(
        mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0));
    auto* engine =
        static_cast<std::uint8_t*>(mmap(nullptr, size, PROT_READ, MAP_SHARED, memory, 0));
    close(memory);
    ASSERT_NE(copied, MAP_FAILED);
    ASSERT_NE(engine, MAP_FAILED);
    std::memset(copied, 0x5A, size);
    GiveBackShared(copied + 100, 3 * page + 50);
    for (std::size_t i = 0; i < size; ++i) {
        const bool inside = i >= page && i < 3 * page;
        ASSERT_EQ(engine[i], inside ? 0 : 0x5A) << "byte " << i;
    }
    munmap(copied, size);
    munmap(engine, size);
}

}  // namespace
}  // namespace pagrovix
