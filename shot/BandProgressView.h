#pragma once

#include <functional>

#include "capture/BrowserView.h"

namespace pagrovix {

// Passes every step of a capture on to the real view and tells, as each band is painted, which
// band of how many it is, so the command can show its progress without changing the capture.
class BandProgressView : public BrowserView {
public:
    using BandReport = std::function<void(int band, int bandCount)>;

    BandProgressView(BrowserView& view, BandReport report)
        : view_(view), report_(std::move(report)) {}

    void Stop() override { view_.Stop(); }
    void Hide() override { view_.Hide(); }
    ViewSize MeasureDocument() override;
    int ScrollBarWidth() override { return view_.ScrollBarWidth(); }
    int DeviceScale() override { return view_.DeviceScale(); }
    ViewSize Resize(int width, int height) override { return view_.Resize(width, height); }
    void ScrollTo(int y) override { view_.ScrollTo(y); }
    void WaitForContent() override { view_.WaitForContent(); }
    void PaintBand(Bitmap24& target, int width, int rows) override;
    void PaintBandInto(Bitmap24& page, int y, int rows, Bitmap24& band) override;
    void Restore() noexcept override { view_.Restore(); }

private:
    void ReportNextBand();

    BrowserView& view_;
    BandReport report_;
    int band_ = 0;
    int bandCount_ = 0;
};

}  // namespace pagrovix
