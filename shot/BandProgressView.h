#pragma once

#include <functional>

#include "capture/BrowserView.h"

namespace pagrovix {

// Passes every step of a capture on to the real view and tells, as each part of the page is
// painted, which part of how many it is, so the command can show its progress without changing
// the capture.
class BandProgressView : public BrowserView {
public:
    using BandReport = std::function<void(int band, int bandCount)>;
    // After each row of tiles of a page painted view by view: how many rows of the picture, from
    // the top, hold their final pixels.
    using RowsPainted = std::function<void(const Bitmap24& picture, int rows)>;

    BandProgressView(BrowserView& view, BandReport report, RowsPainted rowsPainted = {})
        : view_(view), report_(std::move(report)), rowsPainted_(std::move(rowsPainted)) {}

    void MakeReady() override { view_.MakeReady(); }
    void Stop() override { view_.Stop(); }
    void Hide() override { view_.Hide(); }
    PageGeometry MeasurePage() override;
    void ScrollTo(int x, int y) override { view_.ScrollTo(x, y); }
    void PaintDocument(Bitmap24& picture, int scale) override;
    std::unique_ptr<PendingPainting> PaintDocumentForLater(Bitmap24& picture, int scale) override;
    void PinStickyElements() override { view_.PinStickyElements(); }
    void HideFixedElements() override { view_.HideFixedElements(); }
    void PaintTile(Bitmap24& picture, const Tile& tile, int scale) override;
    std::unique_ptr<PendingTile> AskForTile(Bitmap24& picture, const Tile& tile,
                                            int scale) override;
    void Restore() noexcept override { view_.Restore(); }

private:
    void ReportNextBand();
    void ReportRows(const Bitmap24& picture, const Tile& tile, int scale);

    BrowserView& view_;
    BandReport report_;
    RowsPainted rowsPainted_;
    int documentWidth_ = 0;
    int band_ = 0;
    int bandCount_ = 0;
};

}  // namespace pagrovix
