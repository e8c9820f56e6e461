#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <wx/scrolwin.h>

#include "imaging/Bitmap24.h"
#include "snapshot/Selection.h"

namespace pagrovix {

// The scroll area of the Snapshot and Preview windows: shows a picture at 1:1 from its top-left
// corner, scrolls in lines of 8 px and turns each wheel event into exactly one line. A paint
// converts only the rows and columns it has to draw, so a page picture of 32763 rows costs no
// more to show than the part in view.
class PictureView : public wxScrolledCanvas {
public:
    static constexpr int kLineStep = 8;

    PictureView(wxWindow* parent, const wxPoint& position, const wxSize& size);

    // The picture is not copied: it must stay alive and unchanged while it is shown.
    void SetPicture(const Bitmap24* picture);
    const Bitmap24* Picture() const { return picture_; }

    // Drawn after the picture, in picture coordinates, clipped to the picture.
    void SetOverlay(std::function<void(wxDC&)> overlay) { overlay_ = std::move(overlay); }

    void RefreshPictureRect(const PixelRect& rect);
    PixelPoint PicturePosition(const wxPoint& clientPosition) const;
    bool InPicture(PixelPoint position) const;

    // One line down for a negative wheel amount, one line up otherwise.
    void ScrollOneLine(int wheelRotation);

    // Paints done so far, for measuring how soon a picture shows.
    std::uint64_t PaintCount() const { return paints_; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnScrollBar(wxScrollWinEvent& event);

    const Bitmap24* picture_ = nullptr;
    std::function<void(wxDC&)> overlay_;
    std::vector<std::uint8_t> rgb_;
    std::uint64_t paints_ = 0;
};

}  // namespace pagrovix
