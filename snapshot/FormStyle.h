#pragma once

#include <functional>

#include <wx/bitmap.h>
#include <wx/font.h>

class wxDialog;
class wxKeyEvent;
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

// Sizes a top-level window by CoverWorkArea on the display it is on, with the frame the window
// manager puts around it. Call it before the window is first shown.
void ApplyCoverWorkArea(wxWindow* window);

// What the close box, the system menu and the system's close key do: a modal window ends with
// wxID_CANCEL, any other is hidden.
void CloseForm(wxDialog* form);

// Whether a key press is the copy key, Ctrl+C.
bool IsCopyKey(const wxKeyEvent& event);

// Runs a command; an error it raises ends it and goes to the program's default error display.
void ReportErrors(const std::function<void()>& command);

// Runs a step whose failure the user need not hear about.
void IgnoreErrors(const std::function<void()>& step);

// The two toolbar images: a magnifier for "Preview..." and a disk for the save commands.
wxBitmap PreviewImage();
wxBitmap SaveImage();

}  // namespace pagrovix
