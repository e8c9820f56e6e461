#pragma once

#include <vector>

namespace pagrovix {

// The tallest picture painted at once, and the tallest capture the Snapshot window takes.
inline constexpr int MaxBandHeight = 32763;
// The engine cannot paint a picture wider or taller than this (cairo's limit).
inline constexpr int MaxViewSide = 32767;

struct ViewSize {
    int width = 0;
    int height = 0;
    bool operator==(const ViewSize&) const = default;
};

// What the capture needs to know of the page, as the person's view lays it out.
struct PageGeometry {
    ViewSize document;  // the whole document's scroll size, in page pixels
    ViewSize view;      // the part of the view that shows the document (less its scroll bars)
    int scale = 1;      // device pixels per page pixel
    bool operator==(const PageGeometry&) const = default;
};

// One view-sized piece of a tall page: with the view scrolled to (scrollX, scrollY), the page's
// rectangle at (x, y) of width x rows shows at (x - scrollX, y - scrollY) of the view. All in page
// pixels.
struct Tile {
    int scrollX = 0;
    int scrollY = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int rows = 0;
    bool operator==(const Tile&) const = default;
};

// How a page is painted. The view keeps its size throughout, so viewport units and percentage
// heights stay what the person sees. A picture of at most MaxBandHeight rows is painted whole in
// one go; a taller one is painted view by view, top to bottom, each row of tiles left to right.
struct CapturePlan {
    int width = 0;   // W, in page pixels
    int height = 0;  // H, in page pixels
    int scale = 1;
    int pictureWidth = 0;   // scale * W: the picture is in device pixels
    int pictureHeight = 0;  // scale * H
    bool wholeDocument = false;
    std::vector<Tile> tiles;  // empty when wholeDocument
    // How many paints the capture makes.
    int Paints() const { return wholeDocument ? 1 : int(tiles.size()); }
};

// Throws Error when the page has no width or height, when the picture is wider than the engine
// can paint, or when a tall page meets a view with no room to show it.
CapturePlan PlanCapture(const PageGeometry& page);

}  // namespace pagrovix
