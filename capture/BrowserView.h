#pragma once

#include "imaging/Bitmap24.h"

namespace pagrovix {

struct ViewSize {
    int width = 0;
    int height = 0;
    bool operator==(const ViewSize&) const = default;
};

// The engine-specific steps of a capture. Every call that waits for the engine has a time limit;
// a failure (no document, a time-out, an engine that went away) is thrown as Error.
class BrowserView {
public:
    virtual ~BrowserView() = default;

    // Stops loading, so the document does not change during the capture.
    virtual void Stop() = 0;
    // Takes the view off the screen ("Please wait..." shows instead); it can still be resized,
    // scrolled and painted.
    virtual void Hide() = 0;
    // The whole document's scroll width and height.
    virtual ViewSize MeasureDocument() = 0;
    // Width of the view's vertical scroll bar; 0 when the bars are drawn over the page.
    virtual int ScrollBarWidth() = 0;
    // Device pixels the view paints per CSS pixel, in each direction: 1, or more on a
    // high-density screen. Sizes and scroll positions stay in CSS pixels; paintings are this
    // many times as wide and tall.
    virtual int DeviceScale() { return 1; }
    // Gives the view this outer size and waits until the page has taken it; returns the size of
    // the document area the page then shows (the view less its scroll bars).
    virtual ViewSize Resize(int width, int height) = 0;
    // Scrolls the document so that row y is the view's top row and column 0 its left column.
    virtual void ScrollTo(int y) = 0;
    // Gives content that loads when it comes into view a short, bounded moment to arrive.
    virtual void WaitForContent() = 0;
    // Paints the top-left width x rows device pixels of the document view as it shows now into
    // target, which takes that size.
    virtual void PaintBand(Bitmap24& target, int width, int rows) = 0;
    // Paints the top-left page.Width() x rows device pixels of the document view into rows
    // [y, y + rows) of page. By default through band: PaintBand, then a copy into place. An engine
    // that can write the page's rows itself saves the band's memory and the copy.
    virtual void PaintBandInto(Bitmap24& page, int y, int rows, Bitmap24& band);
    // Back to normal: the size of its panel, scrolled to the top, shown. Never throws.
    virtual void Restore() noexcept = 0;
};

}  // namespace pagrovix
