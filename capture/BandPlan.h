#pragma once

#include <vector>

namespace pagrovix {

// The tallest band painted at once, and the tallest capture the Snapshot window takes.
inline constexpr int MaxBandHeight = 32763;
// The engine cannot paint a picture wider or taller than this (cairo's limit).
inline constexpr int MaxViewSide = 32767;
// The most device pixels per CSS pixel a capture takes: 4 keeps every size within an int.
inline constexpr int MaxDeviceScale = 4;

// One band of the page: the rows [y, y + rows) of the capture, painted with the view scrolled so
// that row y is its top row.
struct Band {
    int y = 0;
    int rows = 0;
    bool operator==(const Band&) const = default;
};

// How a page of width x height is cut into bands: N full bands of B rows from the top, then, for
// a page taller than MaxBandHeight, the last R rows.
struct BandPlan {
    int width = 0;         // W
    int height = 0;        // H
    int bandHeight = 0;    // B
    int fullBands = 0;     // N
    int lastBandRows = 0;  // R; 0 when H <= MaxBandHeight or H is a multiple of it
    // Every band to paint, top to bottom. An empty last band (R = 0) is left out: it has nothing
    // to copy.
    std::vector<Band> bands;
};

// Throws Error when the page has no width or no height: there is nothing to capture. A view that
// paints several device pixels per CSS pixel takes bands of at most tallestBand CSS rows, so that
// its painting stays within MaxViewSide.
BandPlan PlanBands(int width, int height, int tallestBand = MaxBandHeight);

}  // namespace pagrovix
