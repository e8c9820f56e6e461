#include "tests/capture/TestPages.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include <png.h>

namespace pagrovix::test {

Rgb RowColour(int y) {
    return {std::uint8_t(y & 0xFF), std::uint8_t((y >> 8) & 0xFF),
            std::uint8_t(0x80 | ((y >> 16) & 0x7F))};
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteRowPage(const std::string& path, int width, int height) {
    const std::string w = std::to_string(width);
    WriteText(
        path,
        "<!DOCTYPE html><html><head><style>\n"
        "html, body { margin: 0; padding: 0; background: #fff; }\n"
        "div { height: 1px; width: " +
            w +
            "px; box-sizing: border-box;\n"
            "  border-left: 1px solid rgb(0,0,16); border-right: 1px solid rgb(255,255,32); }\n"
            "</style></head><body><script>\n"
            "const rows = document.createDocumentFragment();\n"
            "for (let y = 0; y < " +
            std::to_string(height) +
            "; ++y) {\n"
            "  const row = document.createElement('div');\n"
            "  row.style.background = 'rgb(' + (y & 255) + ',' + ((y >> 8) & 255) + ',' +\n"
            "      (128 | ((y >> 16) & 127)) + ')';\n"
            "  rows.appendChild(row);\n"
            "}\n"
            "document.body.appendChild(rows);\n"
            "</script></body></html>\n");
}

namespace {

bool Matches(const std::uint8_t* pixel, Rgb colour) {
    return pixel[0] == colour.blue && pixel[1] == colour.green && pixel[2] == colour.red;
}

testing::AssertionResult Mismatch(const Bitmap24& picture, int x, int y, Rgb wanted, long count) {
    const std::uint8_t* pixel = picture.Row(y).data() + 3 * x;
    char text[200];
    std::snprintf(text, sizeof text,
                  "%ld wrong pixels; first at (%d, %d): rgb(%d,%d,%d) instead of rgb(%d,%d,%d)",
                  count, x, y, pixel[2], pixel[1], pixel[0], wanted.red, wanted.green, wanted.blue);
    return testing::AssertionFailure() << text;
}

}  // namespace

testing::AssertionResult IsRowPage(const Bitmap24& picture, int pageWidth, int pageHeight,
                                   int scale) {
    const int width = pageWidth * scale, height = pageHeight * scale;
    if (picture.Width() != width || picture.Height() != height) {
        return testing::AssertionFailure()
               << "picture is " << picture.Width() << " x " << picture.Height() << ", not " << width
               << " x " << height;
    }
    long wrong = 0;
    int firstX = 0, firstY = 0;
    Rgb firstWanted{};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = picture.Row(y).data();
        const Rgb colour = RowColour(y / scale);
        for (int x = 0; x < width; ++x) {
            const int column = x / scale;
            const Rgb wanted = column == 0               ? kLeftEdge
                               : column == pageWidth - 1 ? kRightEdge
                                                         : colour;
            if (!Matches(row + 3 * x, wanted) && wrong++ == 0) {
                firstX = x;
                firstY = y;
                firstWanted = wanted;
            }
        }
    }
    if (wrong > 0) {
        return Mismatch(picture, firstX, firstY, firstWanted, wrong);
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult IsFilled(const Bitmap24& picture, int left, int top, int width, int height,
                                  Rgb colour) {
    long wrong = 0;
    int firstX = 0, firstY = 0;
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            if (!Matches(picture.Row(y).data() + 3 * x, colour) && wrong++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (wrong > 0) {
        return Mismatch(picture, firstX, firstY, colour, wrong);
    }
    return testing::AssertionSuccess();
}

Bitmap24 ReadPngFile(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        throw std::runtime_error("cannot open " + path);
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bitmap24 picture;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng cannot read " + path);
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    if (png_get_bit_depth(png, info) != 8 || png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error(path + " is not 8-bit truecolour");
    }
    const int width = int(png_get_image_width(png, info));
    const int height = int(png_get_image_height(png, info));
    picture.SetSize(width, height);
    png_set_bgr(png);
    for (int y = 0; y < height; ++y) {
        png_read_row(png, picture.Row(y).data(), nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return picture;
}

}  // namespace pagrovix::test
