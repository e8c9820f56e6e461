#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "imaging/ImageFormat.h"
#include "imaging/ImageWriters.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace pagrovix::test {
namespace {

// The file decoded by dwebp, libwebp's own command-line decoder, as a 24-bit picture.
Bitmap24 DecodeWithDwebp(const ScratchFolder& folder, const std::string& webp) {
    const std::string ppm = folder.File("decoded.ppm");
    const std::string command = "dwebp -quiet -ppm '" + webp + "' -o '" + ppm + "'";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "dwebp could not decode " << webp;
        return {};
    }
    const Bytes bytes = ReadBytes(ppm);
    int width = 0;
    int height = 0;
    int maxValue = 0;
    int headerLength = 0;
    const std::string text(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64));
    if (std::sscanf(text.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &headerLength) != 3) {
        ADD_FAILURE() << "not a PPM file";
        return {};
    }
    const std::size_t start = std::size_t(headerLength) + 1;
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
        auto row = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* rgb = &bytes[start + (std::size_t(y) * width + x) * 3];
            row[3 * x] = rgb[2];
            row[3 * x + 1] = rgb[1];
            row[3 * x + 2] = rgb[0];
        }
    }
    return picture;
}

double MeanDifference(const Bitmap24& a, const Bitmap24& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int i = 0; i < a.Width() * 3; ++i) {
            sum += std::abs(int(a.Row(y)[i]) - int(b.Row(y)[i]));
        }
    }
    return sum / (double(a.Width()) * a.Height() * 3);
}

TEST(WebpWriter, LosslessKeepsEveryPixelAndLossyStaysClose) {
    ScratchFolder folder;
    const Bitmap24 picture = PatternBitmap(301, 203);
    ASSERT_EQ(FormatForPath(folder.File("a.WebP")), ImageFormat::Webp);

    WriteImageFile(picture, folder.File("lossless.webp"), ImageFormat::Webp, kWebpLossless);
    const Bitmap24 lossless = DecodeWithDwebp(folder, folder.File("lossless.webp"));
    ASSERT_EQ(lossless.Width(), 301);
    ASSERT_EQ(lossless.Height(), 203);
    EXPECT_EQ(MeanDifference(picture, lossless), 0.0);

    WriteImageFile(picture, folder.File("lossy.webp"), ImageFormat::Webp, 90);
    const Bytes lossyBytes = ReadBytes(folder.File("lossy.webp"));
    ASSERT_GT(lossyBytes.size(), 16u);
    EXPECT_EQ(std::string(lossyBytes.begin() + 12, lossyBytes.begin() + 16), "VP8 ");
    const Bitmap24 lossy = DecodeWithDwebp(folder, folder.File("lossy.webp"));
    ASSERT_EQ(lossy.Height(), 203);
    EXPECT_LT(MeanDifference(picture, lossy), 24.0);
}

TEST(WebpWriter, TooTallAPictureFailsAndLeavesTheOldFile) {
    ScratchFolder folder;
    const std::string path = folder.File("tall.webp");
    WriteBytes(path, {1, 2, 3});
    const Bitmap24 tall(2, 16384);
    EXPECT_EQ(ErrorOf([&] { WriteWebpFile(tall, path, kWebpLossless); }),
              "The picture is 2 x 16384 pixels, but a WebP file holds at most 16383 x 16383");
    EXPECT_EQ(ReadBytes(path), (Bytes{1, 2, 3}));
}

}  // namespace
}  // namespace pagrovix::test
