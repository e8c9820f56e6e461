#pragma once

#include <cstdint>
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

// The same pixels as WritePngFile, deflated faster: a valid PNG of other bytes, for callers that
// need speed more than those exact bytes. A picture whose filtered rows take at most wholeBytes
// is deflated in one go by libdeflate, which takes about half of zlib's time at the same level
// for files no larger; a taller one in bands on up to cores threads, joined into one stream.
inline constexpr std::uint64_t kPngWholeDeflateBytes = std::uint64_t(128) << 20;
void WritePngFileOnCores(const Bitmap24& bitmap, const std::string& path, int level, int cores,
                         std::uint64_t wholeBytes = kPngWholeDeflateBytes);

// What WritePngFileOnCores holds beyond the picture at its peak, at most.
std::uint64_t PngOnCoresBytes(int width, int height);

// WebP at quality 0..100, or lossless with kWebpLossless; at most 16383 pixels a side.
inline constexpr int kWebpLossless = -1;
void WriteWebpFile(const Bitmap24& bitmap, const std::string& path, int quality);

}  // namespace pagrovix
