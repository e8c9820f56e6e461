#include "shot/BandProgressView.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "capture/CapturePlan.h"

namespace pagrovix {

PageGeometry BandProgressView::MeasurePage() {
    const PageGeometry page = view_.MeasurePage();
    documentWidth_ = page.document.width;
    band_ = 0;
    // The capture plans the same way; a size it refuses paints nothing at all.
    try {
        bandCount_ = PlanCapture(page).Paints();
    } catch (...) {
        bandCount_ = 0;
    }
    return page;
}

void BandProgressView::PaintDocument(Bitmap24& picture, int scale) {
    ReportNextBand();
    view_.PaintDocument(picture, scale);
}

std::unique_ptr<PendingPainting> BandProgressView::PaintDocumentForLater(Bitmap24& picture,
                                                                         int scale) {
    ReportNextBand();
    return view_.PaintDocumentForLater(picture, scale);
}

void BandProgressView::PaintTile(Bitmap24& picture, const Tile& tile, int scale) {
    ReportNextBand();
    view_.PaintTile(picture, tile, scale);
    ReportRows(picture, tile, scale);
}

namespace {

// A tile on its way whose rows are reported once it is in the picture.
class ReportedTile final : public PendingTile {
public:
    ReportedTile(std::unique_ptr<PendingTile> tile, std::function<void()> finished)
        : tile_(std::move(tile)), finished_(std::move(finished)) {}
    void Finish() override {
        tile_->Finish();
        finished_();
    }

private:
    std::unique_ptr<PendingTile> tile_;
    std::function<void()> finished_;
};

}  // namespace

std::unique_ptr<PendingTile> BandProgressView::AskForTile(Bitmap24& picture, const Tile& tile,
                                                          int scale) {
    ReportNextBand();
    std::unique_ptr<PendingTile> asked = view_.AskForTile(picture, tile, scale);
    if (!asked) {
        ReportRows(picture, tile, scale);
        return nullptr;
    }
    return std::make_unique<ReportedTile>(
        std::move(asked), [this, &picture, tile, scale] { ReportRows(picture, tile, scale); });
}

void BandProgressView::ReportRows(const Bitmap24& picture, const Tile& tile, int scale) {
    // Tiles go left to right, then down, and are finished in that order: the last of a row ends
    // every row above its bottom.
    if (rowsPainted_ && tile.x + tile.width >= documentWidth_) {
        rowsPainted_(picture, (tile.y + tile.rows) * scale);
    }
}

void BandProgressView::ReportNextBand() {
    ++band_;
    report_(band_, std::max(band_, bandCount_));
}

}  // namespace pagrovix
