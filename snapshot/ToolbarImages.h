#pragma once

#include <wx/bitmap.h>

namespace pagrovix {

// The two toolbar images: a magnifier for "Preview..." and a disk for the save commands.
wxBitmap PreviewImage();
wxBitmap SaveImage();

}  // namespace pagrovix
