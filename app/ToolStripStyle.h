#pragma once

#include <wx/gdicmn.h>

class wxToolBar;

namespace pagrovix {

// Inside the Go button's 1-pixel border: this padding on either side, and this gap between the
// picture and the caption. The caption gets what the picture and these leave.
inline constexpr int kGoSidePadding = 3;
inline constexpr int kGoPictureSpacing = 4;

// Gives the main window's two tool bars the look of a flat tool strip: every tool exactly
// toolSize (the Go tool goSize), no frame, and captions at captionPoints (Go's at
// goCaptionPoints), so they fit.
void StyleToolStrip(wxToolBar* tools, wxSize toolSize, double captionPoints, wxToolBar* go,
                    wxSize goSize, double goCaptionPoints);

// Makes a right-click anywhere on the tool bar, its tools included, ask for the tool bar's context
// menu (wxEVT_CONTEXT_MENU), as it does on every other part of the window.
void ForwardContextMenuClicks(wxToolBar* bar);

}  // namespace pagrovix
