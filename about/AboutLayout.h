#pragma once

#include <string>

namespace pagrovix {

inline constexpr int kAboutClientWidth = 295;
inline constexpr int kAboutClientHeight = 194;

// The left edge that centres something width wide in clientWidth; the half is truncated toward
// zero, so an odd remainder leaves the extra pixel on the right.
int CentredLeft(int clientWidth, int width);

// The icon sits 10 pixels left of the title.
int IconLeftOfTitle(int titleLeft, int iconWidth);

// Where a link label starts: at its designed left edge, or further right when the caption before it
// ends too close (a desktop font larger than the designed one), so the two never touch.
int LinkLeft(int designedLeft, int captionRight);

std::string VersionLine(const std::string& version);
std::string CopyrightLine(const std::string& year);

}  // namespace pagrovix
