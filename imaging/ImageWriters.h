#pragma once

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

// The same pixels as WritePngFile, deflated in bands on up to cores threads and joined into one
// stream: a valid PNG of other bytes, for callers that need speed more than those exact bytes.
void WritePngFileOnCores(const Bitmap24& bitmap, const std::string& path, int level, int cores);

// WebP at quality 0..100, or lossless with kWebpLossless; at most 16383 pixels a side.
inline constexpr int kWebpLossless = -1;
void WriteWebpFile(const Bitmap24& bitmap, const std::string& path, int quality);

}  // namespace pagrovix
