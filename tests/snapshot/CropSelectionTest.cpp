#include "snapshot/CropSelection.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "imaging/Error.h"
#include "snapshot/PictureRegion.h"
#include "tests/snapshot/PatternPicture.h"

namespace pagrovix {
namespace {

using test::PatternPicture;

bool PixelIs(const Bitmap24& bitmap, int x, int y, int blue, int green, int red) {
    const auto row = bitmap.Row(y);
    return row[3 * x] == blue && row[3 * x + 1] == green && row[3 * x + 2] == red;
}

TEST(CropSelection, CopiesExactlyTheSelectedPixels) {
    const Bitmap24 picture = PatternPicture(100, 60);
    Bitmap24 crop;
    CropSelection(picture, {13, 7, 41, 33}, crop);
    ASSERT_EQ(crop.Width(), 28);
    ASSERT_EQ(crop.Height(), 26);
    for (int y = 0; y < crop.Height(); ++y) {
        for (int x = 0; x < crop.Width(); ++x) {
            const int px = x + 13;
            const int py = y + 7;
            ASSERT_TRUE(PixelIs(crop, x, y, px, py, px ^ py)) << x << "," << y;
        }
    }
}

TEST(CropSelection, SmallestSelectionGivesTwelveByTwelve) {
    const Bitmap24 picture = PatternPicture(100, 60);
    Bitmap24 crop;
    CropSelection(picture, {88, 48, 100, 60}, crop);
    EXPECT_EQ(crop.Width(), 12);
    EXPECT_EQ(crop.Height(), 12);
    EXPECT_TRUE(PixelIs(crop, 11, 11, 99, 59, 99 ^ 59));
}

TEST(CropSelection, WholePictureIsCopiedPixelForPixel) {
    const Bitmap24 picture = PatternPicture(257, 131);
    Bitmap24 crop;
    CropSelection(picture, {0, 0, 257, 131}, crop);
    ASSERT_EQ(crop.Width(), 257);
    ASSERT_EQ(crop.Height(), 131);
    EXPECT_EQ(std::memcmp(crop.Data(), picture.Data(), picture.ByteCount()), 0);
}

TEST(CropSelection, PartOutsideThePictureIsWhiteEvenInAReusedCrop) {
    const Bitmap24 picture = PatternPicture(8, 5);
    Bitmap24 crop = PatternPicture(12, 12);  // holds old pixels that must not show through
    CropSelection(picture, {-4, -7, 8, 5}, crop);
    ASSERT_EQ(crop.Width(), 12);
    ASSERT_EQ(crop.Height(), 12);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const int px = x - 4;
            const int py = y - 7;
            if (px < 0 || py < 0) {
                ASSERT_TRUE(PixelIs(crop, x, y, 255, 255, 255)) << x << "," << y;
            } else {
                ASSERT_TRUE(PixelIs(crop, x, y, px, py, px ^ py)) << x << "," << y;
            }
        }
    }
}

TEST(CropSelection, EmptyOrOversizedSelectionIsAnError) {
    const Bitmap24 picture = PatternPicture(40, 30);
    Bitmap24 crop;
    EXPECT_THROW(CropSelection(picture, {10, 10, 10, 20}, crop), Error);
    EXPECT_THROW(CropSelection(picture, {10, 10, 5, 20}, crop), Error);
    EXPECT_THROW(CropSelection(picture, {0, 0, 41, 30}, crop), Error);
    EXPECT_THROW(CropSelection(Bitmap24(), {0, 0, 0, 0}, crop), Error);
}

TEST(PictureRegion, ConvertsOnlyTheRegionToRedGreenBlue) {
    const Bitmap24 picture = PatternPicture(50, 40);
    const PixelRect region = ClipToPicture(picture, {45, 38, 20, 20});
    EXPECT_EQ(region.width, 5);
    EXPECT_EQ(region.height, 2);
    std::uint8_t rgb[5 * 2 * 3];
    CopyRegionAsRgb(picture, region, rgb);
    EXPECT_EQ(rgb[0], 45 ^ 38);
    EXPECT_EQ(rgb[1], 38);
    EXPECT_EQ(rgb[2], 45);
    const std::uint8_t* last = rgb + (5 * 2 - 1) * 3;
    EXPECT_EQ(last[0], 49 ^ 39);
    EXPECT_EQ(last[1], 39);
    EXPECT_EQ(last[2], 49);
    const PixelRect outside = ClipToPicture(picture, {-30, 0, 20, 10});
    EXPECT_EQ(outside.width, 0);
}

// The allocator reports running out of memory under a sanitizer instead of throwing.
#if !defined(__SANITIZE_ADDRESS__)
// Crops the whole of a 60 MB picture that is never touched, in an address space that ends soon
// after it; ends the process with 3 and the error's text when the crop says it found no memory.
[[noreturn]] void CropWithoutMemory() {
    const Bitmap24 picture(5000, 4000);
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = rlim_t(pages) * 4096 + (16 << 20);
    const rlimit cap{limit, limit};
    setrlimit(RLIMIT_AS, &cap);
    Bitmap24 crop;
    try {
        CropSelection(picture, {0, 0, 5000, 4000}, crop);
    } catch (const Error& error) {
        std::fputs(error.what(), stderr);
        std::exit(3);
    }
    std::exit(0);
}

TEST(CropSelectionDeathTest, RunningOutOfMemorySaysSoInWords) {
    EXPECT_EXIT(CropWithoutMemory(), testing::ExitedWithCode(3),
                "^There is not enough memory to cut out the selection\\.$");
}
#endif

}  // namespace
}  // namespace pagrovix
