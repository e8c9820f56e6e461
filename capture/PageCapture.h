#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/BrowserView.h"
#include "imaging/Bitmap24.h"

namespace pagrovix {

// The Snapshot command: paints the whole document of a browser view, as the person's view lays it
// out, into one picture and hands it on. It needs only the view and a few callbacks, so the
// program's main window and a command-line tool run the very same capture.
class PageCapture {
public:
    struct Callbacks {
        // The busy state on or off; it lets pending events be processed so the change shows.
        std::function<void(bool busy)> setBusy;
        // The capture's error box, with the failure's own text.
        std::function<void(const std::string& text)> showError;
        // A picture of at most MaxBandHeight rows; a receiver that keeps it makes its own copy,
        // so one that only reads it costs nothing.
        std::function<void(const Bitmap24& picture)> showPicture;
        // A taller page, written straight to a file.
        std::function<void(const Bitmap24& page)> saveTallPage;
        // Bytes of memory still available; the system's figure when left empty.
        std::function<std::uint64_t()> availableMemory;
        // Runs each time the page has been readied and measured, just before it is painted: the
        // layout then is the picture's, so boxes read here match it. May throw to fail.
        std::function<void()> measured;
    };

    PageCapture(BrowserView& view, Callbacks callbacks);
    PageCapture(const PageCapture&) = delete;
    PageCapture& operator=(const PageCapture&) = delete;

    // Captures into page (resized to the document), which belongs to the caller. A failure is shown
    // in the error box and ends the command with the view restored. Returns whether a picture was
    // handed on. While a capture runs, a second call does nothing and returns false.
    bool Run(Bitmap24& page);

    // Whether the last capture failed because the memory its picture needs was not there: the
    // one failure that may pass by itself once other pictures are gone.
    bool FailedForMemory() const { return failedForMemory_; }
    // Whether it failed for a reason that may not come again: a time limit, an ended process.
    bool FailedTransiently() const { return failedTransiently_; }

    // Lets a page painted whole be handed on as soon as the engine is asked to paint it, so that
    // the engine paints and the painting is copied into the picture while this thread goes on.
    // The receiver takes the painting on its way with TakePendingPainting, and copies it into the
    // picture (on any thread) before it reads a pixel.
    void HandOnBeforePainted(bool yes) { handOnBeforePainted_ = yes; }
    // The painting of the last picture handed on, or nothing when the picture holds its pixels.
    std::unique_ptr<PendingPainting> TakePendingPainting() { return std::move(pendingPainting_); }

    // True from the start of Run until it returns, hand-off included.
    bool IsRunning() const { return running_; }
    // Runs action once the running capture has ended, or at once when none runs: a window that
    // is asked to close during a capture closes afterwards this way.
    void WhenFinished(std::function<void()> action);

private:
    bool RunSteps(Bitmap24& page);
    void CapturePage(Bitmap24& page);
    void CaptureAsMeasured(Bitmap24& page);
    void Finish();

    BrowserView& view_;
    Callbacks callbacks_;
    bool running_ = false;
    bool failedForMemory_ = false;
    bool failedTransiently_ = false;
    // Fixed elements are hidden once the first view has shown them; a page painted again after
    // changing its size is painted without them.
    bool fixedHidden_ = false;
    bool handOnBeforePainted_ = false;
    std::unique_ptr<PendingPainting> pendingPainting_;
    std::vector<std::function<void()>> whenFinished_;
};

}  // namespace pagrovix
