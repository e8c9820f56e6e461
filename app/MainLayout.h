#pragma once

#include <functional>

namespace pagrovix {

// The tool strip: 44 pixels for the tools between two 2-pixel edge lines.
inline constexpr int kCoolBarHeight = 48;
inline constexpr int kCoolBarEdge = 2;

// The smallest outer size of the main window.
inline constexpr int kMinWindowWidth = 480;
inline constexpr int kMinWindowHeight = 360;

struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};

// The window's outer size grown to the smallest size the layout allows.
WindowSize ClampWindowSize(WindowSize size);

// What the tool strip's layout pass reads of its controls.
struct ToolStripMeasures {
    int panelClientWidth = 0;
    int panelClientHeight = 0;
    int toolbarLeft = 0;
    int toolbarWidth = 0;
    int goWidth = 0;
    int goHeight = 0;
    int addressHeight = 0;
};

// Where the Go button and the address box go: the address box fills the gap between the tool bar
// and the Go button (8 pixels before it, 4 after it), Go keeps 4 pixels to the right edge, and
// both are centred vertically (halves truncated toward zero).
struct ToolStripPlacement {
    int goLeft = 0;
    int goTop = 0;
    int addressLeft = 0;
    int addressTop = 0;
    int addressWidth = 0;
    bool operator==(const ToolStripPlacement&) const = default;
};

ToolStripPlacement PlaceToolStrip(const ToolStripMeasures& measures);

// Widths of the three status panels: the browser's text takes what the progress panel (200) and
// the empty end panel (80) leave.
struct StatusPanelWidths {
    int text = 0;
    int progress = 0;
    int end = 0;
    bool operator==(const StatusPanelWidths&) const = default;
};

StatusPanelWidths PlaceStatusPanels(int statusClientWidth);

// The largest caption size, from normalPoints down to smallestPoints in half points, at which the
// widest caption (widestAt(points), in pixels) fits in room pixels; smallestPoints when none does.
double FittingCaptionPoints(double normalPoints, double smallestPoints, int room,
                            const std::function<int(double points)>& widestAt);

}  // namespace pagrovix
