#pragma once

class wxWebView;

namespace pagrovix {

// The command's pictures are exactly as wide as its view: no scroll bar, the engine's own or one a
// page styles for itself, takes columns from the page.
void HideScrollBars(wxWebView* view);

}  // namespace pagrovix
