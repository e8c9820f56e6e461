#include <gtest/gtest.h>

#include "imaging/Error.h"
#include "imaging/ImageWriters.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace pagrovix {
namespace {

using test::Bytes;

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

std::uint16_t Le16(const Bytes& bytes, std::size_t at) {
    return std::uint16_t(bytes[at] | bytes[at + 1] << 8);
}

struct RowCase {
    int width;
    std::uint32_t stride;
};

class BmpLayout : public testing::TestWithParam<RowCase> {};

TEST_P(BmpLayout, HeadersAndPaddedRowsBottomRowFirst) {
    const auto [width, stride] = GetParam();
    const int height = 3;
    test::ScratchFolder folder;
    const Bitmap24 bitmap = test::PatternBitmap(width, height);
    WriteBmpFile(bitmap, folder.File("shot.bmp"));
    const Bytes file = test::ReadBytes(folder.File("shot.bmp"));

    ASSERT_EQ(file.size(), 54 + stride * height);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), 54 + stride * height);
    EXPECT_EQ(Le32(file, 6), 0u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 14), 40u);
    EXPECT_EQ(Le32(file, 18), std::uint32_t(width));
    EXPECT_EQ(Le32(file, 22), std::uint32_t(height));
    EXPECT_EQ(Le16(file, 26), 1);
    EXPECT_EQ(Le16(file, 28), 24);
    EXPECT_EQ(Le32(file, 30), 0u);
    EXPECT_EQ(Le32(file, 34), stride * height);
    for (std::size_t at = 38; at < 54; ++at) {
        EXPECT_EQ(file[at], 0) << "resolution and colour counts are zero, byte " << at;
    }
    for (int fileRow = 0; fileRow < height; ++fileRow) {
        const auto source = bitmap.Row(height - 1 - fileRow);
        const std::size_t start = 54 + std::size_t(fileRow) * stride;
        EXPECT_TRUE(std::equal(source.begin(), source.end(), file.begin() + long(start)))
            << "file row " << fileRow;
        for (std::size_t pad = source.size(); pad < stride; ++pad) {
            EXPECT_EQ(file[start + pad], 0) << "padding of file row " << fileRow;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, BmpLayout,
                         testing::Values(RowCase{1, 4}, RowCase{4, 12}, RowCase{5, 16},
                                         RowCase{6, 20}));

TEST(BmpWriter, StoresPureRedAsBlueGreenRed) {
    test::ScratchFolder folder;
    Bitmap24 red(2, 1);
    red.Fill(0, 0, 255);
    WriteBmpFile(red, folder.File("red.bmp"));
    const Bytes file = test::ReadBytes(folder.File("red.bmp"));
    ASSERT_EQ(file.size(), 62u);
    EXPECT_EQ(Bytes(file.begin() + 54, file.end()), (Bytes{0, 0, 255, 0, 0, 255, 0, 0}));
}

TEST(BmpWriter, WritesEveryRowOfAPictureTallerThanOneBatchOfRows) {
    test::ScratchFolder folder;
    const Bitmap24 bitmap = test::PatternBitmap(3, 1500);  // padded: two pieces a row
    WriteBmpFile(bitmap, folder.File("tall.bmp"));
    const Bytes file = test::ReadBytes(folder.File("tall.bmp"));
    ASSERT_EQ(file.size(), 54u + 12 * 1500);
    for (int fileRow = 0; fileRow < 1500; ++fileRow) {
        const auto source = bitmap.Row(1499 - fileRow);
        ASSERT_TRUE(std::equal(source.begin(), source.end(), file.begin() + 54 + 12 * fileRow))
            << "file row " << fileRow;
    }
}

TEST(BmpWriter, RefusesAPictureWhoseSizeFieldsWouldOverflow) {
    test::ScratchFolder folder;
    // 65540-byte rows × 65536 rows is just over what the 32-bit size field can hold. The pixels
    // are never touched, so this costs address space only.
    Bitmap24 huge(21846, 65536);
    EXPECT_EQ(test::ErrorOf([&] { WriteBmpFile(huge, folder.File("huge.bmp")); }),
              "The picture is too large for a BMP file");
    EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace pagrovix
