#pragma once

#include "imaging/Bitmap24.h"

class wxKeyEvent;

namespace pagrovix {

// Puts a copy of picture on the desktop's clipboard as an image other programs can paste (PNG,
// BMP and the other image types the toolkit offers, each made when a program asks for it). The
// clipboard keeps its copy after the window that copied it has closed, as long as the program
// runs, and a clipboard manager may keep it after that. Throws Error when memory cannot hold the
// copy or the clipboard cannot be taken.
void CopyPictureToClipboard(const Bitmap24& picture);

// Whether a key press is the copy key, Ctrl+C.
bool IsCopyKey(const wxKeyEvent& event);

}  // namespace pagrovix
