// shot_row_check PICTURE.png WIDTH HEIGHT: how many rows of a row-coloured page's picture are
// exactly right. Prints "<right rows> <picture width> <picture height>".
//
// The page (see compare.sh) is WIDTH x HEIGHT; row y is rgb(y & 255, (y >> 8) & 255,
// 128 | ((y >> 16) & 127)), except its first pixel, rgb(0, 0, 16), and its last, rgb(255, 255, 32).
// A row is right when the picture has it, at the page's width, with every pixel as it should be.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <png.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: shot_row_check PICTURE.png WIDTH HEIGHT\n");
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, argv[1])) {
        std::printf("0 0 0\n");
        return 0;
    }
    image.format = PNG_FORMAT_RGB;  // any alpha is composed over black; the pages are opaque
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        std::printf("0 0 0\n");
        return 0;
    }
    long right = 0;
    if (int(image.width) == width) {
        const int rows = std::min(height, int(image.height));
        for (int y = 0; y < rows; ++y) {
            const png_byte* row = pixels.data() + std::size_t(y) * std::size_t(width) * 3;
            const png_byte colour[3] = {png_byte(y & 255), png_byte((y >> 8) & 255),
                                        png_byte(128 | ((y >> 16) & 127))};
            bool exact = true;
            for (int x = 0; x < width && exact; ++x) {
                const png_byte* want = colour;
                static const png_byte left[3] = {0, 0, 16};
                static const png_byte rightEdge[3] = {255, 255, 32};
                if (x == 0) {
                    want = left;
                } else if (x == width - 1) {
                    want = rightEdge;
                }
                exact =
                    row[3 * x] == want[0] && row[3 * x + 1] == want[1] && row[3 * x + 2] == want[2];
            }
            right += exact;
        }
    }
    std::printf("%ld %u %u\n", right, image.width, image.height);
    return 0;
}
