#include "shot/CropRect.h"

#include <climits>

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

// Every pixel its own colour, so any shift or mix-up shows.
Bitmap24 Numbered(int width, int height) {
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.Row(y)[3 * x] = std::uint8_t(x);
            picture.Row(y)[3 * x + 1] = std::uint8_t(y);
            picture.Row(y)[3 * x + 2] = std::uint8_t(x * 7 + y * 13 + 1);
        }
    }
    return picture;
}

// What the crop must hold at (x, y): the picture's pixel, or white outside the picture.
void ExpectCrop(const Bitmap24& picture, const CropRect& rect, const Bitmap24& crop) {
    ASSERT_EQ(crop.Width(), rect.Width());
    ASSERT_EQ(crop.Height(), rect.Height());
    for (int y = 0; y < crop.Height(); ++y) {
        for (int x = 0; x < crop.Width(); ++x) {
            const long long sx = (long long)rect.x0 + x;
            const long long sy = (long long)rect.y0 + y;
            const bool inside = sx >= 0 && sy >= 0 && sx < picture.Width() && sy < picture.Height();
            for (int c = 0; c < 3; ++c) {
                const int expected = inside ? picture.Row(int(sy))[3 * sx + c] : 255;
                ASSERT_EQ(crop.Row(y)[3 * x + c], expected) << "at " << x << "," << y;
            }
        }
    }
}

TEST(CropPicture, KeepsExactlyTheRectangleInsideThePicture) {
    const Bitmap24 picture = Numbered(40, 30);
    for (const CropRect rect :
         {CropRect{0, 0, 40, 30}, CropRect{5, 7, 6, 8}, CropRect{3, 4, 39, 30}}) {
        ExpectCrop(picture, rect, CropPicture(picture, rect));
    }
}

TEST(CropPicture, PaintsThePartOutsideThePictureWhite) {
    const Bitmap24 picture = Numbered(40, 30);
    for (const CropRect rect :
         {CropRect{-5, 2, 10, 12}, CropRect{35, -4, 50, 9}, CropRect{20, 25, 45, 40},
          CropRect{-3, -3, 43, 33}, CropRect{-10, 5, 50, 6}}) {
        ExpectCrop(picture, rect, CropPicture(picture, rect));
    }
}

TEST(CropPicture, ARectangleWhollyOutsideIsAllWhite) {
    const Bitmap24 picture = Numbered(40, 30);
    for (const CropRect rect :
         {CropRect{40, 0, 50, 10}, CropRect{0, 30, 10, 31}, CropRect{-20, -20, 0, 0},
          CropRect{INT_MAX - 2, INT_MIN, INT_MAX, INT_MIN + 3}}) {
        ExpectCrop(picture, rect, CropPicture(picture, rect));
    }
}

TEST(CropPicture, EmptyRectanglesAreRefused) {
    const Bitmap24 picture = Numbered(4, 4);
    EXPECT_THROW(CropPicture(picture, {2, 0, 2, 4}), Error);
    EXPECT_THROW(CropPicture(picture, {0, 3, 4, 1}), Error);
}

}  // namespace
}  // namespace pagrovix
