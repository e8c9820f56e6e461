#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "imaging/Bitmap24.h"

namespace pagrovix::test {

// Pages whose every row has its own colour, and whose first and last columns have colours no row
// has, so that a lost, repeated or shifted row or column shows in the picture.
struct Rgb {
    std::uint8_t red, green, blue;
};
Rgb RowColour(int y);
inline constexpr Rgb kLeftEdge{0x00, 0x00, 0x10};
inline constexpr Rgb kRightEdge{0xFF, 0xFF, 0x20};

// Writes such a page of width x height pixels to path (the rows are made by a script, so even
// 70000 rows stay a small file).
void WriteRowPage(const std::string& path, int width, int height);

// Whether picture is exactly such a page of width x height, painted at scale device pixels per
// page pixel.
testing::AssertionResult IsRowPage(const Bitmap24& picture, int width, int height, int scale = 1);

// Whether every pixel of the rectangle is colour.
testing::AssertionResult IsFilled(const Bitmap24& picture, int left, int top, int width, int height,
                                  Rgb colour);

void WriteText(const std::string& path, const std::string& text);

// Reads an 8-bit truecolour PNG file with libpng.
Bitmap24 ReadPngFile(const std::string& path);

}  // namespace pagrovix::test
