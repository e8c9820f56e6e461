#pragma once

#include <wx/gdicmn.h>

class wxToolBar;

namespace pagrovix {

// Gives the main window's two tool bars the look of a flat tool strip: every tool exactly
// toolSize (the Go tool goSize), no frame, and captions at captionPoints, so they fit.
void StyleToolStrip(wxToolBar* tools, wxSize toolSize, wxToolBar* go, wxSize goSize,
                    double captionPoints);

// Makes a right-click anywhere on the tool bar, its tools included, ask for the tool bar's context
// menu (wxEVT_CONTEXT_MENU), as it does on every other part of the window.
void ForwardContextMenuClicks(wxToolBar* bar);

}  // namespace pagrovix
