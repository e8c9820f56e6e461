#pragma once

#include <cstdint>
#include <vector>

namespace pagrovix::test {

// The X server's screen as it is now, in a rectangle of root-window pixels: 0xRRGGBB per pixel,
// row by row. Empty when there is no display or the rectangle lies off the screen.
std::vector<std::uint32_t> ReadScreen(int left, int top, int width, int height);

}  // namespace pagrovix::test
