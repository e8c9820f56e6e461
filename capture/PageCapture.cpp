#include "capture/PageCapture.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <new>
#include <thread>
#include <utility>

#include "capture/CaptureLimits.h"
#include "capture/CapturePlan.h"
#include "capture/MemoryMapping.h"
#include "imaging/Error.h"

namespace pagrovix {
namespace {

// Switches the busy state off on every way out of a scope.
class BusyOff {
public:
    explicit BusyOff(const std::function<void(bool)>& setBusy) : setBusy_(setBusy) {}
    ~BusyOff() { setBusy_(false); }
    BusyOff(const BusyOff&) = delete;
    BusyOff& operator=(const BusyOff&) = delete;

private:
    const std::function<void(bool)>& setBusy_;
};

// Brings the view back on every way out of a scope, a failing error box included.
class RestoreView {
public:
    explicit RestoreView(BrowserView& view) : view_(view) {}
    ~RestoreView() { view_.Restore(); }
    RestoreView(const RestoreView&) = delete;
    RestoreView& operator=(const RestoreView&) = delete;

private:
    BrowserView& view_;
};

}  // namespace

PageCapture::PageCapture(BrowserView& view, Callbacks callbacks)
    : view_(view), callbacks_(std::move(callbacks)) {
    if (!callbacks_.availableMemory) {
        callbacks_.availableMemory = AvailableMemory;
    }
}

bool PageCapture::Run(Bitmap24& page) {
    if (running_) {
        return false;
    }
    running_ = true;
    bool handedOn = false;
    try {
        handedOn = RunSteps(page);
    } catch (...) {
        Finish();
        throw;
    }
    Finish();
    return handedOn;
}

void PageCapture::WhenFinished(std::function<void()> action) {
    if (running_) {
        whenFinished_.push_back(std::move(action));
    } else {
        action();
    }
}

void PageCapture::Finish() {
    running_ = false;
    auto actions = std::exchange(whenFinished_, {});
    for (auto& action : actions) {
        action();
    }
}

bool PageCapture::RunSteps(Bitmap24& page) {
    pendingPainting_.reset();
    bool failed = false;
    fixedHidden_ = false;
    failedForMemory_ = false;
    failedTransiently_ = false;
    callbacks_.setBusy(true);
    {
        BusyOff busyOff(callbacks_.setBusy);
        RestoreView restore(view_);
        try {
            CapturePage(page);
        } catch (const std::bad_alloc&) {
            failed = true;
            failedForMemory_ = true;
            callbacks_.showError("There is not enough memory to capture the page.");
        } catch (const MemoryShortage& error) {
            failed = true;
            failedForMemory_ = true;
            callbacks_.showError(error.what());
        } catch (const TransientError& error) {
            failed = true;
            failedTransiently_ = true;
            callbacks_.showError(error.what());
        } catch (const std::exception& error) {
            failed = true;
            callbacks_.showError(error.what());
        }
    }
    if (failed) {
        pendingPainting_.reset();
        return false;
    }
    callbacks_.setBusy(true);
    BusyOff busyOff(callbacks_.setBusy);
    if (page.Height() > MaxBandHeight) {
        callbacks_.saveTallPage(page);
    } else {
        callbacks_.showPicture(page);
    }
    return true;
}

void PageCapture::CapturePage(Bitmap24& page) {
    // The page paints only while it is on the screen.
    view_.MakeReady();
    view_.Stop();
    view_.Hide();
    // A page that changes its size between measuring and painting (a script, a late style) is
    // measured again and captured as it is then; only one that never holds still fails.
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        try {
            CaptureAsMeasured(page);
            return;
        } catch (const PageChanged& changed) {
            if (attempt == kAttempts) {
                throw Error(std::string("The page kept changing its size during the capture: ") +
                            changed.what());
            }
        }
    }
}

void PageCapture::CaptureAsMeasured(Bitmap24& page) {
    const PageGeometry geometry = view_.MeasurePage();
    if (callbacks_.measured) {
        callbacks_.measured();
    }
    const CapturePlan plan = PlanCapture(geometry);
    const ViewSize painted = plan.wholeDocument ? ViewSize{plan.pictureWidth, plan.pictureHeight}
                                                : ViewSize{geometry.view.width * plan.scale,
                                                           geometry.view.height * plan.scale};
    // What page holds now is given back before it grows.
    CheckCaptureMemory(
        plan.pictureWidth, plan.pictureHeight,
        CaptureBytes(plan.pictureWidth, plan.pictureHeight, painted.width, painted.height),
        callbacks_.availableMemory() + page.ByteCount());
    page.SetSize(plan.pictureWidth, plan.pictureHeight);
    view_.ScrollTo(0, 0);
    if (plan.wholeDocument) {
        // The picture takes its memory as the painting is copied into it, and the painting gives
        // its own back as it goes, so that a tall page is not held twice over.
        if (handOnBeforePainted_) {
            pendingPainting_ = view_.PaintDocumentForLater(page, plan.scale);
        } else {
            view_.PaintDocument(page, plan.scale);
        }
        return;
    }
    // The system clears fresh memory page by page as it is first written, which for a tall page
    // takes a good part of the time the engine takes to paint it, view after view: it is done
    // meanwhile, on another core. Mapping a page leaves what it holds alone, so the painting may
    // go into it at the same time.
    const std::jthread mapping([data = page.Data(), bytes = page.ByteCount()] {
        MapForWriting(data, bytes);
    });
    view_.PinStickyElements();
    // The engine paints the next views while this process copies the last ones, and no view
    // waits for the answer to the one before; each on its way holds one view's painting.
    constexpr std::size_t kTilesOnTheirWay = 3;
    std::deque<std::unique_ptr<PendingTile>> onTheirWay;
    for (std::size_t i = 0; i < plan.tiles.size(); ++i) {
        if (std::unique_ptr<PendingTile> tile = view_.AskForTile(page, plan.tiles[i], plan.scale)) {
            onTheirWay.push_back(std::move(tile));
        }
        if (i == 0 && !fixedHidden_) {
            view_.HideFixedElements();
            fixedHidden_ = true;
        }
        if (onTheirWay.size() == kTilesOnTheirWay) {
            onTheirWay.front()->Finish();
            onTheirWay.pop_front();
        }
    }
    for (; !onTheirWay.empty(); onTheirWay.pop_front()) {
        onTheirWay.front()->Finish();
    }
}

}  // namespace pagrovix
