#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/Bitmap24.h"

namespace pagrovix {

// Each writer replaces the file at path with the whole bitmap in its format, or throws Error and
// leaves whatever was at path untouched. The bitmap must be at least 1 × 1.

// Uncompressed 24-bit BMP, rows bottom-up, padded to four bytes.
void WriteBmpFile(const Bitmap24& bitmap, const std::string& path);

// Baseline JFIF, YCbCr 4:2:0; quality 0..100 (0 encodes as 1).
void WriteJpegFile(const Bitmap24& bitmap, const std::string& path, int quality);

// 8-bit truecolour PNG, Sub filter on every row; level 0..9 is zlib's compression level.
void WritePngFile(const Bitmap24& bitmap, const std::string& path, int level);

// The same pixels as WritePngFile, deflated faster and unfiltered, which makes pages smaller: a
// valid PNG of other bytes, for callers that need speed more than those exact bytes. The rows are
// deflated by libdeflate, which takes about half of zlib's time at the same level, in parts on up
// to cores threads, joined into one stream: a picture whose filtered rows take at most wholeBytes
// in one part for each thread, a taller one in bands of about a megabyte, as PngBandStream does.
inline constexpr std::uint64_t kPngWholeDeflateBytes = std::uint64_t(128) << 20;
void WritePngFileOnCores(const Bitmap24& bitmap, const std::string& path, int level, int cores,
                         std::uint64_t wholeBytes = kPngWholeDeflateBytes);
// The same file, from a picture not needed afterwards: it is filtered for deflating where it lies,
// so the picture and a whole filtered copy are not held at once.
// The bitmap is empty afterwards, whether the file was written or not.
void WritePngFileUsingUp(Bitmap24& bitmap, const std::string& path, int level, int cores,
                         std::uint64_t wholeBytes = kPngWholeDeflateBytes);

// A PNG written while its picture is still being painted from the top down: each band of rows is
// deflated on one of up to cores threads as soon as RowsDone says its rows are final, so that a
// tall picture is mostly compressed when its last rows arrive. The bytes are those that
// WritePngFileOnCores writes for a picture it deflates in bands.
class PngBandStream {
public:
    // Starts the file; throws Error as WritePngFile does. The picture's pixels stay where they
    // are, at its size, until the stream is finished or dropped; the rows from RowsDone's count
    // down may still change.
    PngBandStream(const Bitmap24& picture, const std::string& path, int level, int cores);
    // Dropped before Finish, it leaves whatever was at path as it was.
    ~PngBandStream();
    PngBandStream(const PngBandStream&) = delete;
    PngBandStream& operator=(const PngBandStream&) = delete;

    // Rows [0, rows) hold their final pixels.
    void RowsDone(int rows);
    // Every row is final: deflates the rest, ends the file and puts it in place; throws Error.
    void Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// What WritePngFileOnCores holds beyond the picture at its peak, at most.
std::uint64_t PngOnCoresBytes(int width, int height);

// WebP at quality 0..100, or lossless with kWebpLossless; at most 16383 pixels a side.
inline constexpr int kWebpLossless = -1;
void WriteWebpFile(const Bitmap24& bitmap, const std::string& path, int quality);

}  // namespace pagrovix
