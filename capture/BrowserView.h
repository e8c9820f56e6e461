#pragma once

#include <cstdint>
#include <memory>

#include "capture/CapturePlan.h"
#include "imaging/Bitmap24.h"
#include "imaging/Error.h"

namespace pagrovix {

// The page is no longer the size it was measured at (it changed in between): a capture measures
// it again and starts over.
class PageChanged : public Error {
public:
    using Error::Error;
};

// A painting of the whole document that the engine handed over and that is still to be copied
// into its picture. The copy may be made on another thread, once; it gives the painting's memory
// back as it goes. The object itself is dropped on the thread that made it, which the engine's
// memory is owned by.
class PaintingCopy {
public:
    virtual ~PaintingCopy() = default;
    // What the painting holds until it is copied, in bytes.
    virtual std::uint64_t Bytes() const = 0;
    // Into the picture PaintDocumentForLater was given (or a picture moved from it).
    virtual void CopyInto(Bitmap24& picture) = 0;
};

// A painting of the whole document asked of the engine, which paints it in its own process while
// the asker goes on. Whatever the view is asked afterwards (scripts, scrolling, showing it again)
// happens after the painting, so it shows the page as it was when asked.
class PendingPainting {
public:
    virtual ~PendingPainting() = default;
    // Whether Take would not wait: the painting arrived, the engine failed or its time is up.
    virtual bool Ready() const = 0;
    // Waits until Ready, then gives the painting, or throws as PaintDocument does (PageChanged
    // when the engine painted another size than the picture's).
    virtual std::unique_ptr<PaintingCopy> Take() = 0;
};

// One view's painting of a tall page asked of the engine and still on its way.
class PendingTile {
public:
    virtual ~PendingTile() = default;
    // Waits for the painting and copies the tile's part of it into the picture it was asked for;
    // throws as ScrollTo and PaintTile do.
    virtual void Finish() = 0;
};

// The engine-specific steps of a capture. The view keeps the size the person sees it at: the
// page is laid out as they see it, and painted whole or view by view. Every call that waits for
// the engine has a time limit; a failure (no document, a time-out, an engine that went away) is
// thrown as Error.
class BrowserView {
public:
    virtual ~BrowserView() = default;

    // The first step: gives the page one short, bounded moment to be ready for its picture:
    // content that loads when it comes into view is asked for at once, fonts and images are
    // ready, and a frame has been painted. Runs while the view is still on the screen, where the
    // page paints, and before Stop, which would cancel those loads.
    virtual void MakeReady() = 0;
    // Stops loading, so the document does not change during the capture; navigations are refused
    // from here until Restore.
    virtual void Stop() = 0;
    // Takes the view off the screen ("Please wait..." shows instead); it can still be scrolled
    // and painted.
    virtual void Hide() = 0;
    // The whole document's scroll size and the view's document area, as laid out now.
    virtual PageGeometry MeasurePage() = 0;
    // Scrolls the document so that (x, y) is the view's top-left corner; PageChanged when the
    // page stops elsewhere.
    virtual void ScrollTo(int x, int y) = 0;
    // Paints the whole document as it shows scrolled to the top into picture, which is already
    // scale * W x scale * H; PageChanged when the engine paints another size.
    virtual void PaintDocument(Bitmap24& picture, int scale) = 0;
    // As PaintDocument, but the painting may be left on its way and its copy into picture to
    // whoever takes the picture on, so that the capture waits for neither; nothing is given back
    // when the picture was painted at once.
    virtual std::unique_ptr<PendingPainting> PaintDocumentForLater(Bitmap24& picture, int scale) {
        PaintDocument(picture, scale);
        return nullptr;
    }
    // Before painting view by view: sticky elements are put where they are at the top of the page,
    // so they do not follow the view down.
    virtual void PinStickyElements() = 0;
    // After the first view: fixed elements are in the picture once, so they are hidden.
    virtual void HideFixedElements() = 0;
    // Paints the view as it shows now and copies the part of it that tile names into place in
    // picture (in device pixels: everything times scale).
    virtual void PaintTile(Bitmap24& picture, const Tile& tile, int scale) = 0;
    // ScrollTo the tile's place and PaintTile, asked of the engine without waiting for either, so
    // that the next tiles are asked for while it paints this one; whatever the view is asked
    // afterwards happens after this painting. Nothing is given back when the tile was painted at
    // once.
    virtual std::unique_ptr<PendingTile> AskForTile(Bitmap24& picture, const Tile& tile,
                                                    int scale) {
        ScrollTo(tile.scrollX, tile.scrollY);
        PaintTile(picture, tile, scale);
        return nullptr;
    }
    // Back to normal: the page's own styles, scrolled to the top, shown. Never throws.
    virtual void Restore() noexcept = 0;
};

}  // namespace pagrovix
