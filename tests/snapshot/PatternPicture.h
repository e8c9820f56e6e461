#pragma once

#include "imaging/Bitmap24.h"

namespace pagrovix::test {

// Every pixel different from its neighbours: blue = x, green = y, red = x ^ y (each mod 256).
Bitmap24 PatternPicture(int width, int height);

}  // namespace pagrovix::test
