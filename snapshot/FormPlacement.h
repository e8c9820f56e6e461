#pragma once

class wxDialog;
class wxWindow;

namespace pagrovix {

// Sizes a top-level window by CoverWorkArea on the display it is on, with the frame the window
// manager puts around it. Call it before the window is first shown.
void ApplyCoverWorkArea(wxWindow* window);

// What the close box, the system menu and the system's close key do: a modal window ends with
// wxID_CANCEL, any other is hidden.
void CloseForm(wxDialog* form);

}  // namespace pagrovix
