#pragma once

#include "imaging/Bitmap24.h"
#include "snapshot/Selection.h"

namespace pagrovix {

// Refills crop with the selected pixels of picture, unchanged; the part of the selection that lies
// outside the picture (a picture narrower or shorter than the 12-px minimum) is white. crop keeps
// its memory block when it can, so repeated crops of a large selection do not reallocate. Throws
// Error for an empty selection, which no file can hold, and for a crop that memory cannot hold.
void CropSelection(const Bitmap24& picture, const SelectionRect& selection, Bitmap24& crop);

}  // namespace pagrovix
