#pragma once

#include "imaging/Bitmap24.h"

class wxWindow;

namespace pagrovix {

// The way of a page too tall for the Snapshot window: asks for a PNG file name (the dialog offers
// the name chosen last during this run), writes the whole page there at level 9 and confirms it.
// Cancelling writes nothing and says nothing; a failed write is thrown as Error.
void SavePageAsPng(wxWindow* parent, const Bitmap24& page);

}  // namespace pagrovix
