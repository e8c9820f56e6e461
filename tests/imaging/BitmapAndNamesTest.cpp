#include <gtest/gtest.h>

#include "imaging/Bitmap24.h"
#include "imaging/Error.h"
#include "imaging/FileNames.h"

namespace pagrovix {
namespace {

TEST(Bitmap24, RowsArePackedAtThreeBytesPerPixelTopRowFirst) {
    Bitmap24 bitmap(5, 3);
    EXPECT_EQ(bitmap.Stride(), 15u);
    EXPECT_EQ(bitmap.ByteCount(), 45u);
    EXPECT_EQ(bitmap.Row(0).data(), bitmap.Data());
    EXPECT_EQ(bitmap.Row(2).data(), bitmap.Data() + 30);
    EXPECT_EQ(bitmap.Row(1).size(), 15u);
}

TEST(Bitmap24, FillStoresBlueGreenRedInThatOrder) {
    Bitmap24 bitmap(3, 2);
    bitmap.Fill(1, 2, 3);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(bitmap.Row(y)[3 * x], 1);
            EXPECT_EQ(bitmap.Row(y)[3 * x + 1], 2);
            EXPECT_EQ(bitmap.Row(y)[3 * x + 2], 3);
        }
    }
}

TEST(Bitmap24, CloneIsAnIndependentCopy) {
    Bitmap24 original(2, 2);
    original.Fill(9, 9, 9);
    Bitmap24 copy = original.Clone();
    original.Row(1)[0] = 0;
    EXPECT_EQ(copy.Width(), 2);
    EXPECT_EQ(copy.Row(1)[0], 9);
}

TEST(Bitmap24, RefusesNegativeSizes) {
    Bitmap24 bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_THROW(bitmap.SetSize(-1, 5), Error);
    EXPECT_THROW(bitmap.SetSize(5, -1), Error);
}

TEST(EnsureExtension, AppendsTheExtensionUnlessItIsAlreadyThereInAnyCase) {
    EXPECT_EQ(EnsureExtension("shot", ".png"), "shot.png");
    EXPECT_EQ(EnsureExtension("shot.PNG", ".png"), "shot.PNG");
    EXPECT_EQ(EnsureExtension("shot.Jpg", ".jpg"), "shot.Jpg");
    EXPECT_EQ(EnsureExtension("shot.jpeg", ".jpg"), "shot.jpeg.jpg");
    EXPECT_EQ(EnsureExtension("shot.png", ".bmp"), "shot.png.bmp");
    EXPECT_EQ(EnsureExtension("shot.", ".png"), "shot..png");
}

TEST(EnsureExtension, DotsInFolderNamesAreNotExtensions) {
    EXPECT_EQ(LowerExtension("/home/me/my.pictures/shot"), "");
    EXPECT_EQ(EnsureExtension("/home/me/my.pictures/shot", ".png"),
              "/home/me/my.pictures/shot.png");
    EXPECT_EQ(EnsureExtension("/home/me/my.png/shot", ".png"), "/home/me/my.png/shot.png");
    EXPECT_EQ(LowerExtension("/a.b/Page.TAR.GZ"), ".gz");
}

}  // namespace
}  // namespace pagrovix
