#include "shot/MaskRules.h"

#include <algorithm>
#include <cmath>

#include <glib.h>

namespace pagrovix {
namespace {

int HexDigit(char c) {
    return g_ascii_xdigit_value(c);
}

// A device-pixel edge, out from the element: down for its left and top, up for its right and
// bottom; then held within the picture.
int DeviceEdge(double css, int scale, bool up, int limit) {
    const double device = up ? std::ceil(css * scale) : std::floor(css * scale);
    return int(std::clamp(device, 0.0, double(limit)));
}

}  // namespace

std::optional<MaskColour> ParseMaskColour(const std::string& text) {
    std::string lower;
    for (const char c : text) {
        lower += char(g_ascii_tolower(c));
    }
    static const std::pair<const char*, MaskColour> kNames[] = {
        {"black", {0, 0, 0}},      {"white", {255, 255, 255}}, {"gray", {128, 128, 128}},
        {"grey", {128, 128, 128}}, {"red", {255, 0, 0}},
    };
    for (const auto& [name, colour] : kNames) {
        if (lower == name) {
            return colour;
        }
    }
    if ((lower.size() != 4 && lower.size() != 7) || lower[0] != '#' ||
        !std::all_of(lower.begin() + 1, lower.end(), [](char c) { return HexDigit(c) >= 0; })) {
        return std::nullopt;
    }
    // #rgb stands for #rrggbb.
    const bool shortForm = lower.size() == 4;
    const auto channel = [&](int i) {
        if (shortForm) {
            return std::uint8_t(HexDigit(lower[1 + i]) * 17);
        }
        return std::uint8_t(HexDigit(lower[1 + 2 * i]) * 16 + HexDigit(lower[2 + 2 * i]));
    };
    return MaskColour{channel(0), channel(1), channel(2)};
}

std::vector<CropRect> MaskRects(const std::vector<ElementBox>& boxes, int scale, int width,
                                int height) {
    std::vector<CropRect> rects;
    for (const ElementBox& box : boxes) {
        if (!std::isfinite(box.left) || !std::isfinite(box.top) || !std::isfinite(box.right) ||
            !std::isfinite(box.bottom) || !(box.right > box.left) || !(box.bottom > box.top)) {
            continue;
        }
        const CropRect rect{
            DeviceEdge(box.left, scale, false, width), DeviceEdge(box.top, scale, false, height),
            DeviceEdge(box.right, scale, true, width), DeviceEdge(box.bottom, scale, true, height)};
        if (rect.Width() > 0 && rect.Height() > 0) {
            rects.push_back(rect);
        }
    }
    return rects;
}

void PaintMasks(Bitmap24& picture, const std::vector<CropRect>& rects, MaskColour colour) {
    for (const CropRect& rect : rects) {
        for (int y = rect.y0; y < rect.y1; ++y) {
            std::uint8_t* pixel = picture.Row(y).data() + std::size_t(rect.x0) * 3;
            for (int x = rect.x0; x < rect.x1; ++x, pixel += 3) {
                pixel[0] = colour.blue;
                pixel[1] = colour.green;
                pixel[2] = colour.red;
            }
        }
    }
}

}  // namespace pagrovix
