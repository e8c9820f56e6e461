#include "shot/BandProgressView.h"

#include <algorithm>

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
    // Tiles go left to right, then down: the last of a row ends every row above its bottom.
    if (rowsPainted_ && tile.x + tile.width >= documentWidth_) {
        rowsPainted_(picture, (tile.y + tile.rows) * scale);
    }
}

void BandProgressView::ReportNextBand() {
    ++band_;
    report_(band_, std::max(band_, bandCount_));
}

}  // namespace pagrovix
