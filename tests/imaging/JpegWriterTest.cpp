#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

#include <gtest/gtest.h>

#include "imaging/ImageWriters.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace pagrovix {
namespace {

using test::Bytes;

struct Segment {
    int marker;
    int length;  // -1 for markers without a length field
    Bytes data;  // after the length field
};

// Lists the markers of a JPEG file in order. Entropy-coded data after SOS is skipped up to the
// next marker that is not a stuffed zero byte.
std::vector<Segment> ReadMarkers(const Bytes& file) {
    std::vector<Segment> segments;
    std::size_t at = 0;
    while (at + 1 < file.size()) {
        EXPECT_EQ(file[at], 0xFF) << "marker expected at " << at;
        const int marker = file[at + 1];
        at += 2;
        if (marker == 0xD8 || marker == 0xD9 || (marker >= 0xD0 && marker <= 0xD7)) {
            segments.push_back({marker, -1, {}});
            continue;
        }
        const int length = file[at] << 8 | file[at + 1];
        segments.push_back(
            {marker, length, Bytes(file.begin() + long(at) + 2, file.begin() + long(at) + length)});
        at += std::size_t(length);
        if (marker == 0xDA) {
            while (at + 1 < file.size() && !(file[at] == 0xFF && file[at + 1] != 0)) {
                ++at;
            }
        }
    }
    return segments;
}

struct Decoded {
    int width = 0;
    int height = 0;
    Bytes rgb;
};

struct Decoder {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump;
    ~Decoder() { jpeg_destroy_decompress(&info); }
};

void DecodeFailed(j_common_ptr info) {
    std::longjmp(static_cast<Decoder*>(info->client_data)->jump, 1);
}

// Decodes with libjpeg into R, G, B rows; false when libjpeg rejects the file. The decoder state
// lives outside this frame, which longjmp returns to.
bool DecodeWith(Decoder& decoder, const Bytes& file, Decoded& out) {
    decoder.info.err = jpeg_std_error(&decoder.errors);
    decoder.errors.error_exit = DecodeFailed;
    decoder.info.client_data = &decoder;
    if (setjmp(decoder.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&decoder.info);
    jpeg_mem_src(&decoder.info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&decoder.info, TRUE);
    decoder.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder.info);
    out.width = int(decoder.info.output_width);
    out.height = int(decoder.info.output_height);
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    while (decoder.info.output_scanline < decoder.info.output_height) {
        JSAMPROW row = out.rgb.data() + std::size_t(decoder.info.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&decoder.info, &row, 1);
    }
    jpeg_finish_decompress(&decoder.info);
    return true;
}

bool Decode(const Bytes& file, Decoded& out) {
    Decoder decoder;
    return DecodeWith(decoder, file, out);
}

Bytes WriteAndRead(const Bitmap24& bitmap, int quality) {
    test::ScratchFolder folder;
    WriteJpegFile(bitmap, folder.File("shot.jpg"), quality);
    return test::ReadBytes(folder.File("shot.jpg"));
}

Bitmap24 SmoothBitmap(int width, int height) {
    Bitmap24 bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.Row(y)[3 * x] = std::uint8_t(x + y);
            bitmap.Row(y)[3 * x + 1] = std::uint8_t(3 * y);
            bitmap.Row(y)[3 * x + 2] = std::uint8_t(2 * x);
        }
    }
    return bitmap;
}

// The example tables of the JPEG standard, in natural (row by row) order.
constexpr int kLuminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
constexpr int kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                  24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
constexpr int kZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

Bytes ScaledTable(const int (&table)[64], int quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    Bytes zigzag;
    for (int index : kZigZag) {
        zigzag.push_back(std::uint8_t(std::clamp((table[index] * scale + 50) / 100, 1, 255)));
    }
    return zigzag;
}

TEST(JpegWriter, WritesBaselineJfifMarkersInOrder) {
    const Bytes file = WriteAndRead(test::PatternBitmap(33, 17), 80);
    const auto segments = ReadMarkers(file);
    const std::vector<std::pair<int, int>> expected = {
        {0xD8, -1},  {0xE0, 16}, {0xDB, 67},  {0xDB, 67}, {0xC0, 17}, {0xC4, 31},
        {0xC4, 181}, {0xC4, 31}, {0xC4, 181}, {0xDA, 12}, {0xD9, -1}};
    ASSERT_EQ(segments.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(segments[i].marker, expected[i].first) << "marker " << i;
        EXPECT_EQ(segments[i].length, expected[i].second) << "marker " << i;
    }
    EXPECT_EQ(Bytes(file.end() - 2, file.end()), (Bytes{0xFF, 0xD9}));
    EXPECT_EQ(segments[1].data, (Bytes{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(segments[2].data[0], 0x00) << "8-bit table 0";
    EXPECT_EQ(segments[3].data[0], 0x01) << "8-bit table 1";
    EXPECT_EQ(segments[4].data, (Bytes{8, 0, 17, 0, 33, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
    EXPECT_EQ(segments[5].data[0], 0x00) << "DC table 0";
    EXPECT_EQ(segments[6].data[0], 0x10) << "AC table 0";
    EXPECT_EQ(segments[7].data[0], 0x01) << "DC table 1";
    EXPECT_EQ(segments[8].data[0], 0x11) << "AC table 1";
    EXPECT_EQ(segments[9].data, (Bytes{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
}

TEST(JpegWriter, ScalesTheStandardTablesByQuality) {
    for (int quality : {1, 10, 50, 80, 100}) {
        const auto segments = ReadMarkers(WriteAndRead(test::PatternBitmap(8, 8), quality));
        ASSERT_GE(segments.size(), 4u);
        EXPECT_EQ(Bytes(segments[2].data.begin() + 1, segments[2].data.end()),
                  ScaledTable(kLuminance, quality))
            << "quality " << quality;
        EXPECT_EQ(Bytes(segments[3].data.begin() + 1, segments[3].data.end()),
                  ScaledTable(kChrominance, quality))
            << "quality " << quality;
    }
}

TEST(JpegWriter, QualityEightyStartsWithSixAndQualityHundredIsAllOnes) {
    EXPECT_EQ(ReadMarkers(WriteAndRead(test::PatternBitmap(8, 8), 80))[2].data[1], 6);
    const auto segments = ReadMarkers(WriteAndRead(test::PatternBitmap(8, 8), 100));
    Bytes allOnes(65, 1);
    allOnes[0] = 0;
    EXPECT_EQ(segments[2].data, allOnes);
    allOnes[0] = 1;
    EXPECT_EQ(segments[3].data, allOnes);
}

TEST(JpegWriter, QualityZeroEncodesExactlyLikeOne) {
    const Bitmap24 bitmap = test::PatternBitmap(40, 24);
    EXPECT_EQ(WriteAndRead(bitmap, 0), WriteAndRead(bitmap, 1));
    EXPECT_NE(WriteAndRead(bitmap, 2), WriteAndRead(bitmap, 1));
}

TEST(JpegWriter, PureRedDecodesRed) {
    Bitmap24 red(24, 24);
    red.Fill(0, 0, 255);
    Decoded decoded;
    ASSERT_TRUE(Decode(WriteAndRead(red, 80), decoded));
    for (std::size_t i = 0; i < decoded.rgb.size(); i += 3) {
        ASSERT_GE(decoded.rgb[i], 247) << "pixel " << i / 3;
        ASSERT_LE(decoded.rgb[i + 1], 8) << "pixel " << i / 3;
        ASSERT_LE(decoded.rgb[i + 2], 8) << "pixel " << i / 3;
    }
}

TEST(JpegWriter, FeedsTheTopRowFirst) {
    Bitmap24 bitmap(16, 16);
    bitmap.Fill(255, 255, 255);
    for (int y = 8; y < 16; ++y) {
        std::fill(bitmap.Row(y).begin(), bitmap.Row(y).end(), 0);
    }
    Decoded decoded;
    ASSERT_TRUE(Decode(WriteAndRead(bitmap, 90), decoded));
    EXPECT_GE(decoded.rgb[0], 240);
    EXPECT_LE(decoded.rgb[15 * 16 * 3], 15);
}

TEST(JpegWriter, LibjpegReadsItBackCloseToTheOriginal) {
    const Bitmap24 bitmap = SmoothBitmap(77, 45);
    Decoded decoded;
    ASSERT_TRUE(Decode(WriteAndRead(bitmap, 90), decoded));
    ASSERT_EQ(decoded.width, 77);
    ASSERT_EQ(decoded.height, 45);
    long totalError = 0;
    int worst = 0;
    for (int y = 0; y < 45; ++y) {
        for (int x = 0; x < 77; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int original = bitmap.Row(y)[3 * x + 2 - c];
                const int error =
                    std::abs(decoded.rgb[(std::size_t(y) * 77 + x) * 3 + c] - original);
                totalError += error;
                worst = std::max(worst, error);
            }
        }
    }
    EXPECT_LT(double(totalError) / (77 * 45 * 3), 2.0);
    EXPECT_LT(worst, 16);
}

// cjpeg drives the same library with the same settings, so the files must be identical. The noise
// picture's file outgrows the writer's first output block.
TEST(JpegWriter, MatchesTheLibraryCommandLineEncoderByteForByte) {
    const std::string cjpeg = PAGROVIX_CJPEG;
    if (cjpeg.empty()) {
        GTEST_SKIP() << "cjpeg is not installed";
    }
    test::ScratchFolder folder;
    for (const Bitmap24& bitmap : {test::PatternBitmap(51, 35), test::NoiseBitmap(480, 360)}) {
        std::string ppm = "P6\n" + std::to_string(bitmap.Width()) + " " +
                          std::to_string(bitmap.Height()) + "\n255\n";
        for (int y = 0; y < bitmap.Height(); ++y) {
            for (std::size_t i = 0; i < bitmap.Stride(); i += 3) {
                ppm += char(bitmap.Row(y)[i + 2]);
                ppm += char(bitmap.Row(y)[i + 1]);
                ppm += char(bitmap.Row(y)[i]);
            }
        }
        test::WriteBytes(folder.File("in.ppm"), Bytes(ppm.begin(), ppm.end()));
        const std::string command = "'" + cjpeg + "' -quality 80 -dct float -baseline -outfile '" +
                                    folder.File("cjpeg.jpg") + "' '" + folder.File("in.ppm") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        WriteJpegFile(bitmap, folder.File("ours.jpg"), 80);
        const Bytes ours = test::ReadBytes(folder.File("ours.jpg"));
        EXPECT_EQ(ours, test::ReadBytes(folder.File("cjpeg.jpg"))) << bitmap.Width();
        if (bitmap.Width() == 480) {
            EXPECT_GT(ours.size(), 65536u);
        }
    }
}

}  // namespace
}  // namespace pagrovix
