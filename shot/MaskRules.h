#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/Bitmap24.h"
#include "shot/CropRect.h"
#include "shot/PageReadyingRules.h"

// --mask without the engine: the colour of the boxes, and where they go in the picture.
namespace pagrovix {

struct MaskColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const MaskColour&) const = default;
};

// #rgb, #rrggbb or one of black, white, gray (grey) and red, in any letter case; nothing for
// anything else.
std::optional<MaskColour> ParseMaskColour(const std::string& text);

// The rectangles of a picture of width x height, painted at scale device pixels per CSS pixel,
// that cover boxes (document CSS pixels): out to whole device pixels, so that no pixel of an
// element survives, and cut to the picture. Boxes with no area in the picture are left out.
std::vector<CropRect> MaskRects(const std::vector<ElementBox>& boxes, int scale, int width,
                                int height);

// Fills each of rects, which lie inside picture, with colour.
void PaintMasks(Bitmap24& picture, const std::vector<CropRect>& rects, MaskColour colour);

}  // namespace pagrovix
