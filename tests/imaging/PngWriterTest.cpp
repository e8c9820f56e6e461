#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "imaging/ImageWriters.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace pagrovix {
namespace {

using test::Bytes;

struct Chunk {
    std::string type;
    Bytes data;
};

std::uint32_t Be32(const std::uint8_t* at) {
    return std::uint32_t(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
}

// Splits a PNG file into its chunks, checking the signature, the framing and every CRC.
std::vector<Chunk> ReadChunks(const Bytes& file) {
    const Bytes signature = {137, 80, 78, 71, 13, 10, 26, 10};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at < file.size();) {
        EXPECT_LE(at + 12, file.size());
        const std::uint32_t length = Be32(&file[at]);
        EXPECT_LE(at + 12 + length, file.size());
        const std::uint8_t* typeAndData = &file[at + 4];
        EXPECT_EQ(Be32(typeAndData + 4 + length), crc32(0, typeAndData, 4 + length));
        chunks.push_back({std::string(typeAndData, typeAndData + 4),
                          Bytes(typeAndData + 4, typeAndData + 4 + length)});
        at += 12 + length;
    }
    return chunks;
}

Bytes ImageData(const std::vector<Chunk>& chunks) {
    Bytes data;
    for (const Chunk& chunk : chunks) {
        if (chunk.type == "IDAT") {
            data.insert(data.end(), chunk.data.begin(), chunk.data.end());
        }
    }
    return data;
}

Bytes Inflate(const Bytes& compressed, std::size_t size) {
    Bytes out(size + 1);
    uLongf outSize = out.size();
    EXPECT_EQ(uncompress(out.data(), &outSize, compressed.data(), compressed.size()), Z_OK);
    out.resize(outSize);
    return out;
}

// Reads the file back with libpng as R, G, B rows and compares it with the bitmap.
void ExpectDecodesTo(const std::string& path, const Bitmap24& bitmap) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    image.format = PNG_FORMAT_RGB;
    ASSERT_EQ(image.width, png_uint_32(bitmap.Width()));
    ASSERT_EQ(image.height, png_uint_32(bitmap.Height()));
    Bytes rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const auto bgr = bitmap.Row(y);
        for (std::size_t i = 0; i < bgr.size(); i += 3) {
            const std::size_t at = std::size_t(y) * bgr.size() + i;
            ASSERT_EQ(rgb[at], bgr[i + 2]) << "red at byte " << i << " of row " << y;
            ASSERT_EQ(rgb[at + 1], bgr[i + 1]) << "green at byte " << i << " of row " << y;
            ASSERT_EQ(rgb[at + 2], bgr[i]) << "blue at byte " << i << " of row " << y;
        }
    }
}

TEST(PngWriter, LibpngReadsBackEveryPixelAtEveryLevel) {
    test::ScratchFolder folder;
    const Bitmap24 bitmap = test::PatternBitmap(37, 23);
    for (int level = 0; level <= 9; ++level) {
        const std::string path = folder.File("level" + std::to_string(level) + ".png");
        WritePngFile(bitmap, path, level);
        ExpectDecodesTo(path, bitmap);
    }
}

TEST(PngWriter, FasterWritersGiveTheSamePixelsInOneValidStream) {
    test::ScratchFolder folder;
    // One band, a band and a row, many bands of noise (no dictionary help), a tall pattern, and
    // rows shorter than the picture is tall.
    const std::vector<std::pair<Bitmap24, int>> cases = [] {
        std::vector<std::pair<Bitmap24, int>> made;
        made.emplace_back(test::PatternBitmap(3, 2), 6);
        made.emplace_back(test::PatternBitmap(1, 50), 6);
        made.emplace_back(test::PatternBitmap(1280, 274), 6);
        made.emplace_back(test::NoiseBitmap(1000, 1500), 1);
        made.emplace_back(test::PatternBitmap(640, 6000), 9);
        made.emplace_back(test::PatternBitmap(640, 3000), 0);
        return made;
    }();
    for (const auto& [bitmap, level] : cases) {
        SCOPED_TRACE(std::to_string(bitmap.Height()) + " rows at level " + std::to_string(level));
        // Bands on two and three cores, then the whole picture deflated in one part and in
        // parts on two and three cores. A picture used up as it is written, filtered where it
        // lies, gives the same bytes.
        for (const auto& [cores, wholeBytes] :
             {std::pair{2, std::uint64_t(0)}, {3, std::uint64_t(0)}, {1, kPngWholeDeflateBytes},
              {2, kPngWholeDeflateBytes}, {3, kPngWholeDeflateBytes}}) {
            const std::string path = folder.File("cores.png");
            WritePngFileOnCores(bitmap, path, level, cores, wholeBytes);
            ExpectDecodesTo(path, bitmap);
            Bitmap24 usedUp = bitmap.Clone();
            const std::string usedUpPath = folder.File("used-up.png");
            WritePngFileUsingUp(usedUp, usedUpPath, level, cores, wholeBytes);
            EXPECT_EQ(test::ReadBytes(usedUpPath), test::ReadBytes(path));
            EXPECT_TRUE(usedUp.Empty());
        }
    }
}

// The picture is painted from the top down while its file is written: rows below those said to be
// final may still be anything. Dropped before it ends, the stream leaves the old file.
TEST(PngWriter, BandStreamWritesRowsAsTheyArriveAndLeavesTheOldFileWhenDropped) {
    test::ScratchFolder folder;
    const Bitmap24 expected = test::PatternBitmap(700, 5000);
    const std::string banded = folder.File("banded.png");
    WritePngFileOnCores(expected, banded, 6, 2, 0);

    Bitmap24 picture(700, 5000);
    std::fill_n(picture.Data(), picture.ByteCount(), std::uint8_t(0x5A));
    const std::string path = folder.File("streamed.png");
    test::WriteBytes(path, {1, 2, 3});
    {
        PngBandStream dropped(picture, path, 6, 2);
        dropped.RowsDone(2000);
    }
    EXPECT_EQ(test::ReadBytes(path), (Bytes{1, 2, 3}));

    PngBandStream stream(picture, path, 6, 3);
    for (int done = 0; done < 5000;) {
        // Time for a stream that would take rows too early to take them.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const int painted = std::min(5000, done + 777);
        std::copy(expected.Row(done).data(), expected.Row(painted - 1).data() + expected.Stride(),
                  picture.Row(done).data());
        stream.RowsDone(painted);
        done = painted;
        if (done < 5000) {
            std::fill_n(picture.Row(done).data(), expected.Stride(), std::uint8_t(0xA5));
        }
    }
    stream.Finish();
    EXPECT_EQ(test::ReadBytes(path), test::ReadBytes(banded));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

TEST(PngWriter, HoldsOnlyHeaderImageDataAndEndChunks) {
    test::ScratchFolder folder;
    WritePngFile(test::PatternBitmap(300, 2), folder.File("shot.png"), 9);
    const Bytes file = test::ReadBytes(folder.File("shot.png"));
    const auto chunks = ReadChunks(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[0].data, (Bytes{0, 0, 1, 44, 0, 0, 0, 2, 8, 2, 0, 0, 0}));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    const Bytes end = {0, 0, 0, 0, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(Bytes(file.end() - 12, file.end()), end);
}

TEST(PngWriter, SplitsImageDataIntoFullChunksAndOneLastChunk) {
    test::ScratchFolder folder;
    for (int level : {0, 9}) {
        const std::string path = folder.File("noise.png");
        const Bitmap24 noise = test::NoiseBitmap(300, 300);  // 270 kB that do not compress
        WritePngFile(noise, path, level);
        const auto chunks = ReadChunks(test::ReadBytes(path));
        ASSERT_GE(chunks.size(), 7u) << "level " << level;
        for (std::size_t i = 1; i + 2 < chunks.size(); ++i) {
            EXPECT_EQ(chunks[i].type, "IDAT");
            EXPECT_EQ(chunks[i].data.size(), 65535u) << "chunk " << i << " at level " << level;
        }
        const Chunk& last = chunks[chunks.size() - 2];
        EXPECT_EQ(last.type, "IDAT");
        EXPECT_GE(last.data.size(), 1u);
        EXPECT_LE(last.data.size(), 65535u);
        ExpectDecodesTo(path, noise);
    }
}

TEST(PngWriter, FiltersEveryRowWithSub) {
    test::ScratchFolder folder;
    Bitmap24 bitmap(4, 2);
    bitmap.Fill(30, 20, 10);       // a one-colour row ...
    bitmap.Row(1)[3 * 2 + 2] = 5;  // ... and one whose third pixel has less red
    WritePngFile(bitmap, folder.File("sub.png"), 6);
    const Bytes raw = Inflate(ImageData(ReadChunks(test::ReadBytes(folder.File("sub.png")))), 26);
    const Bytes expected = {1, 10, 20, 30, 0, 0, 0, 0,   0, 0, 0, 0, 0,
                            1, 10, 20, 30, 0, 0, 0, 251, 0, 0, 5, 0, 0};
    EXPECT_EQ(raw, expected);
}

TEST(PngWriter, LevelZeroStoresTheRowsInAValidZlibStream) {
    test::ScratchFolder folder;
    const Bitmap24 bitmap = test::PatternBitmap(16, 8);
    WritePngFile(bitmap, folder.File("stored.png"), 0);
    const Bytes data = ImageData(ReadChunks(test::ReadBytes(folder.File("stored.png"))));
    ASSERT_GT(data.size(), 2u);
    EXPECT_EQ(data[0] & 0x0F, 8) << "deflate method";
    EXPECT_EQ((data[0] << 8 | data[1]) % 31, 0) << "header check bits";
    EXPECT_EQ((data[2] >> 1) & 3, 0) << "first block is a stored block";
    EXPECT_EQ(Inflate(data, 8 * 49).size(), 8u * 49);
    ExpectDecodesTo(folder.File("stored.png"), bitmap);
}

TEST(PngWriter, KeepsThePixelsOfPureRed) {
    test::ScratchFolder folder;
    Bitmap24 red(3, 1);
    red.Fill(0, 0, 255);
    WritePngFile(red, folder.File("red.png"), 9);
    const Bytes raw = Inflate(ImageData(ReadChunks(test::ReadBytes(folder.File("red.png")))), 10);
    EXPECT_EQ(raw, (Bytes{1, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace pagrovix
