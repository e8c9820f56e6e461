#include "tests/snapshot/PatternPicture.h"

#include <cstdint>

namespace pagrovix::test {

Bitmap24 PatternPicture(int width, int height) {
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
        auto row = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t(x);
            row[3 * x + 1] = std::uint8_t(y);
            row[3 * x + 2] = std::uint8_t(x ^ y);
        }
    }
    return picture;
}

}  // namespace pagrovix::test
