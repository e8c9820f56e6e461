#pragma once

#include <string>

namespace pagrovix {

// The extension of a file name: from the last dot of its name part to the end, dot included, with
// A..Z in lower case; empty when the name part has no dot.
std::string LowerExtension(const std::string& path);

// Appends wanted (".png", ".jpg", ".bmp") unless the path's extension already is that, in any
// letter case: "shot" -> "shot.png", "shot.PNG" stays, "shot.jpeg" -> "shot.jpeg.jpg".
std::string EnsureExtension(const std::string& path, const std::string& wanted);

}  // namespace pagrovix
