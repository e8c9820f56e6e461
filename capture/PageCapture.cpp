#include "capture/PageCapture.h"

#include <algorithm>
#include <new>
#include <utility>

#include "capture/BandPlan.h"
#include "capture/CaptureLimits.h"
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

bool PageCapture::Run(Bitmap24& page, Bitmap24& band) {
    if (running_) {
        return false;
    }
    running_ = true;
    bool handedOn = false;
    try {
        handedOn = RunSteps(page, band);
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

bool PageCapture::RunSteps(Bitmap24& page, Bitmap24& band) {
    bool failed = false;
    callbacks_.setBusy(true);
    {
        BusyOff busyOff(callbacks_.setBusy);
        RestoreView restore(view_);
        try {
            CaptureBands(page, band);
        } catch (const std::bad_alloc&) {
            failed = true;
            callbacks_.showError("There is not enough memory to capture the page.");
        } catch (const std::exception& error) {
            failed = true;
            callbacks_.showError(error.what());
        }
        // Between captures the band is only dead weight, as large as the page itself.
        band.SetSize(0, 0);
    }
    if (failed) {
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

void PageCapture::CaptureBands(Bitmap24& page, Bitmap24& band) {
    view_.Stop();
    view_.Hide();
    const ViewSize document = view_.MeasureDocument();
    // The layout is in CSS pixels, the picture in the device pixels the view paints.
    const int scale = std::max(1, view_.DeviceScale());
    if (scale > MaxDeviceScale) {
        throw Error("The browser paints " + std::to_string(scale) +
                    " device pixels per CSS pixel; a capture takes at most " +
                    std::to_string(MaxDeviceScale) + ".");
    }
    scale_ = scale;
    const BandPlan plan = PlanBands(document.width, document.height, MaxBandHeight / scale);
    const int scrollBarWidth = std::max(0, view_.ScrollBarWidth());
    CheckPageWidth(plan.width * scale, scrollBarWidth * scale);
    // What page and band hold now is given back before they grow.
    CheckCaptureMemory(plan.width * scale, plan.height * scale,
                       CaptureBytes(plan.width * scale, plan.height * scale,
                                    plan.bandHeight * scale, (plan.width + scrollBarWidth) * scale),
                       callbacks_.availableMemory() + page.ByteCount() + band.ByteCount());

    SizeViewFor(plan.width, plan.bandHeight, scrollBarWidth);
    int viewRows = plan.bandHeight;
    page.SetSize(plan.width * scale, plan.height * scale);
    for (const Band& next : plan.bands) {
        if (next.rows != viewRows) {
            SizeViewFor(plan.width, next.rows, scrollBarWidth);
            viewRows = next.rows;
        }
        view_.ScrollTo(next.y);
        view_.WaitForContent();
        view_.PaintBandInto(page, next.y * scale, next.rows * scale, band);
    }
}

// The view is made as wide as the document plus its scroll bar and exactly a band tall. When the
// page then shows less than that (a scroll bar the first measure did not see), the view grows by
// the shortfall once.
void PageCapture::SizeViewFor(int width, int rows, int scrollBarWidth) {
    ViewSize wanted{width + scrollBarWidth, rows};
    ViewSize shown = view_.Resize(wanted.width, wanted.height);
    if (shown.width >= width && shown.height >= rows) {
        return;
    }
    wanted.width += std::max(0, width - shown.width);
    wanted.height += std::max(0, rows - shown.height);
    CheckPageWidth(width * scale_, (wanted.width - width) * scale_);
    if (wanted.height > MaxViewSide) {
        throw Error("The browser cannot show a band of " + std::to_string(rows) +
                    " rows of the page.");
    }
    shown = view_.Resize(wanted.width, wanted.height);
    if (shown.width < width || shown.height < rows) {
        throw Error("The browser shows only " + std::to_string(shown.width) + " x " +
                    std::to_string(shown.height) + " pixels of the page instead of " +
                    std::to_string(width) + " x " + std::to_string(rows) + ".");
    }
}

}  // namespace pagrovix
