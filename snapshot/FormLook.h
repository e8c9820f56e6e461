#pragma once

#include <wx/font.h>

class wxWindow;

namespace pagrovix {

// The font of the Snapshot, Preview and Save windows: Tahoma 8 pt, or the desktop's sans-serif
// face of that size where there is no Tahoma. Sizes are fixed pixels, not scaled.
wxFont FormFont();

// Gives one control style rules of its own (GTK CSS) ahead of the theme's, for fields whose fixed
// size leaves no room for the theme's padding.
void StyleControl(wxWindow* control, const char* css);

// A text or spin field whose text is never shown selected when the field is entered or the window
// opens; the toolkit would select all of it whenever the field takes the focus other than by a
// click.
void KeepTextUnselectedOnEntry(wxWindow* field);

}  // namespace pagrovix
