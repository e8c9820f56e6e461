#include "snapshot/CropSelection.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "imaging/Error.h"

namespace pagrovix {

void CropSelection(const Bitmap24& picture, const SelectionRect& selection, Bitmap24& crop) {
    const long long width = (long long)selection.x1 - selection.x0;
    const long long height = (long long)selection.y1 - selection.y0;
    // A selection never reaches past the picture, except to keep its minimum size.
    if (width <= 0 || height <= 0 || width > std::max(picture.Width(), Selection::kMinimumSize) ||
        height > std::max(picture.Height(), Selection::kMinimumSize)) {
        throw Error("Invalid selection " + std::to_string(width) + " x " + std::to_string(height));
    }
    try {
        crop.SetSize(int(width), int(height));
    } catch (const std::bad_alloc&) {
        throw Error("There is not enough memory to cut out the selection.");
    }

    const int left = std::max(selection.x0, 0);
    const int top = std::max(selection.y0, 0);
    const int right = std::min(selection.x1, picture.Width());
    const int bottom = std::min(selection.y1, picture.Height());
    const bool coversCrop = left == selection.x0 && top == selection.y0 && right == selection.x1 &&
                            bottom == selection.y1;
    if (!coversCrop) {
        crop.Fill(255, 255, 255);
    }
    if (left >= right || top >= bottom) {
        return;
    }
    const std::size_t bytes = std::size_t(right - left) * 3;
    for (int y = top; y < bottom; ++y) {
        std::memcpy(crop.Row(y - selection.y0).data() + std::size_t(left - selection.x0) * 3,
                    picture.Row(y).data() + std::size_t(left) * 3, bytes);
    }
}

}  // namespace pagrovix
