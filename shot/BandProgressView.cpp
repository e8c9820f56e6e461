#include "shot/BandProgressView.h"

#include <algorithm>

#include "capture/BandPlan.h"

namespace pagrovix {

ViewSize BandProgressView::MeasureDocument() {
    const ViewSize document = view_.MeasureDocument();
    band_ = 0;
    // The capture cuts the page the same way; a size it refuses paints no band at all.
    try {
        bandCount_ =
            int(PlanBands(document.width, document.height,
                          MaxBandHeight / std::clamp(view_.DeviceScale(), 1, MaxDeviceScale))
                    .bands.size());
    } catch (...) {
        bandCount_ = 0;
    }
    return document;
}

void BandProgressView::PaintBand(Bitmap24& target, int width, int rows) {
    ReportNextBand();
    view_.PaintBand(target, width, rows);
}

void BandProgressView::PaintBandInto(Bitmap24& page, int y, int rows, Bitmap24& band) {
    ReportNextBand();
    view_.PaintBandInto(page, y, rows, band);
}

void BandProgressView::ReportNextBand() {
    ++band_;
    report_(band_, std::max(band_, bandCount_));
}

}  // namespace pagrovix
