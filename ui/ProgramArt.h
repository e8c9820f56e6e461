#pragma once

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

namespace pagrovix {

// The pictures of the main window's buttons and address box.
enum class Picture { Back, Forward, Stop, Refresh, Home, Snapshot, Open, Go, Page };

// A picture from the desktop's icon theme at the given size, or, on a machine without a theme
// that has it, the program's own drawing of it, so no button is ever empty.
wxBitmapBundle ThemePicture(Picture picture, int size);

// The program's own drawing of a picture at the given size.
wxBitmapBundle BuiltInPicture(Picture picture, int size);

// The product icon: the installed picture file when there is one, else the built-in drawing.
wxBitmapBundle ProductIcon();
// The product icon at the sizes a desktop shows a window's icon in.
wxIconBundle ProductIcons();

}  // namespace pagrovix
