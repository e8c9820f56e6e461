#include "capture/BrowserView.h"

#include <cstring>

#include "capture/MemoryMapping.h"
#include "imaging/Error.h"

namespace pagrovix {

void BrowserView::PaintBandInto(Bitmap24& page, int y, int rows, Bitmap24& band) {
    PaintBand(band, page.Width(), rows);
    if (band.Width() != page.Width() || band.Height() != rows || y < 0 ||
        rows > page.Height() - y) {
        throw Error("A band of the page does not fit the picture.");
    }
    if (band.ByteCount() > 0) {
        MapForWriting(page.Row(y).data(), band.ByteCount());
        std::memcpy(page.Row(y).data(), band.Data(), band.ByteCount());
    }
}

}  // namespace pagrovix
