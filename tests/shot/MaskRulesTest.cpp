#include "shot/MaskRules.h"

#include <cmath>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

using Corners = std::tuple<int, int, int, int>;

std::vector<Corners> CornersOf(const std::vector<CropRect>& rects) {
    std::vector<Corners> corners;
    for (const CropRect& rect : rects) {
        corners.emplace_back(rect.x0, rect.y0, rect.x1, rect.y1);
    }
    return corners;
}

TEST(MaskRules, ColoursAreHexOrAFewNames) {
    const std::vector<std::pair<std::string, std::optional<MaskColour>>> cases{
        {"black", MaskColour{0, 0, 0}},
        {"White", MaskColour{255, 255, 255}},
        {"grey", MaskColour{128, 128, 128}},
        {"red", MaskColour{255, 0, 0}},
        {"#0f8", MaskColour{0, 255, 136}},
        {"#12AbEf", MaskColour{0x12, 0xAB, 0xEF}},
        {"blue", std::nullopt},
        {"#12345", std::nullopt},
        {"#ggg", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, colour] : cases) {
        EXPECT_EQ(ParseMaskColour(text), colour) << text;
    }
}

TEST(MaskRules, BoxesGoOutToWholeDevicePixelsAndStayInThePicture) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        ElementBox box;
        int scale;
        std::vector<Corners> rects;
    };
    const std::vector<Case> cases{
        {{10, 20, 30, 40}, 1, {{10, 20, 30, 40}}},
        // 10.3 is device 20.6 at scale 2: the pixel it half covers is masked too.
        {{10.3, 16600.25, 30.3, 16630.25}, 2, {{20, 33200, 61, 33261}}},
        {{0.5, 0.5, 0.6, 0.6}, 3, {{1, 1, 2, 2}}},
        // Cut to the 200 x 100000 picture.
        {{-5, -5, 5, 5}, 1, {{0, 0, 5, 5}}},
        {{190, 99990, 250, 100020}, 1, {{190, 99990, 200, 100000}}},
        // Nothing of it is in the picture, or it has no area.
        {{300, 0, 400, 10}, 1, {}},
        {{0, 100000, 10, 100010}, 1, {}},
        {{10, 10, 10, 20}, 2, {}},
        {{10, kNaN, 20, 20}, 1, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CornersOf(MaskRects({c.box}, c.scale, 200, 100000)), c.rects)
            << c.box.left << "," << c.box.top << "," << c.box.right << "," << c.box.bottom;
    }
}

TEST(MaskRules, PaintingFillsExactlyTheRectangles) {
    Bitmap24 picture(6, 40000);
    picture.Fill(1, 2, 3);
    PaintMasks(picture, {{1, 1, 3, 2}, {4, 32763, 6, 40000}}, {255, 128, 0});
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const bool masked = (y == 1 && x >= 1 && x < 3) || (y >= 32763 && x >= 4);
            const std::uint8_t* pixel = picture.Row(y).data() + 3 * x;
            // Blue, green, red in the picture's own order.
            const std::uint8_t wanted[3] = {std::uint8_t(masked ? 0 : 1),
                                            std::uint8_t(masked ? 128 : 2),
                                            std::uint8_t(masked ? 255 : 3)};
            ASSERT_TRUE(pixel[0] == wanted[0] && pixel[1] == wanted[1] && pixel[2] == wanted[2])
                << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace pagrovix
