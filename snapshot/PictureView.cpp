#include "snapshot/PictureView.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "snapshot/CommandErrors.h"
#include "snapshot/PictureRegion.h"

namespace pagrovix {

PictureView::PictureView(wxWindow* parent, const wxPoint& position, const wxSize& size)
    : wxScrolledCanvas(parent, wxID_ANY, position, size, wxHSCROLL | wxVSCROLL | wxBORDER_NONE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetScrollRate(kLineStep, kLineStep);
    Bind(wxEVT_PAINT, &PictureView::OnPaint, this);
    Bind(wxEVT_MOUSEWHEEL, &PictureView::OnMouseWheel, this);
    Bind(wxEVT_LEFT_DOWN, &PictureView::OnLeftDown, this);
    for (const auto type :
         {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
          wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
          wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE}) {
        Bind(type, &PictureView::OnScrollBar, this);
    }
}

void PictureView::SetPicture(const Bitmap24* picture) {
    picture_ = picture;
    const int width = picture ? picture->Width() : 0;
    const int height = picture ? picture->Height() : 0;
    SetVirtualSize(width, height);
    Refresh();
}

void PictureView::RefreshPictureRect(const PixelRect& rect) {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    const wxPoint topLeft = CalcScrolledPosition(wxPoint(rect.left, rect.top));
    RefreshRect(wxRect(topLeft, wxSize(rect.width, rect.height)), false);
}

PixelPoint PictureView::PicturePosition(const wxPoint& clientPosition) const {
    const wxPoint p = CalcUnscrolledPosition(clientPosition);
    return {p.x, p.y};
}

bool PictureView::InPicture(PixelPoint position) const {
    return picture_ && PixelRect{0, 0, picture_->Width(), picture_->Height()}.Contains(position);
}

void PictureView::ScrollOneLine(int wheelRotation) {
    int x = 0;
    int y = 0;
    GetViewStart(&x, &y);
    Scroll(-1, wheelRotation < 0 ? y + 1 : std::max(y - 1, 0));
}

void PictureView::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    DoPrepareDC(dc);
    ++paints_;

    const wxRect update = GetUpdateClientRect();
    const wxPoint origin = CalcUnscrolledPosition(update.GetTopLeft());
    const PixelRect area{origin.x, origin.y, update.width, update.height};
    const int pictureWidth = picture_ ? picture_->Width() : 0;
    const int pictureHeight = picture_ ? picture_->Height() : 0;

    // The background beside and below the picture.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    if (area.Right() > pictureWidth) {
        const int left = std::max(area.left, pictureWidth);
        dc.DrawRectangle(left, area.top, area.Right() - left, area.height);
    }
    if (area.Bottom() > pictureHeight) {
        const int top = std::max(area.top, pictureHeight);
        dc.DrawRectangle(area.left, top, area.width, area.Bottom() - top);
    }
    if (!picture_ || picture_->Empty()) {
        return;
    }

    const PixelRect visible = ClipToPicture(*picture_, area);
    if (visible.width > 0 && visible.height > 0) {
        rgb_.resize(std::size_t(visible.width) * std::size_t(visible.height) * 3);
        CopyRegionAsRgb(*picture_, visible, rgb_.data());
        const wxImage image(visible.width, visible.height, rgb_.data(), true);
        dc.DrawBitmap(wxBitmap(image), visible.left, visible.top);
    }
    if (overlay_) {
        // Shapes that reach past the picture are cut at its edges.
        dc.SetClippingRegion(0, 0, pictureWidth, pictureHeight);
        overlay_(dc);
        dc.DestroyClippingRegion();
    }
}

void PictureView::OnMouseWheel(wxMouseEvent& event) {
    // Horizontal wheels do not scroll, and the event is not passed on, so the toolkit adds no
    // scrolling of its own to the one line.
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL) {
        ScrollOneLine(event.GetWheelRotation());
    }
}

void PictureView::OnLeftDown(wxMouseEvent& event) {
    // A press on the area's own background gives it the keyboard focus; one on the picture does
    // not.
    if (!InPicture(PicturePosition(event.GetPosition()))) {
        IgnoreErrors([this] { SetFocus(); });
    }
    event.Skip();
}

void PictureView::OnScrollBar(wxScrollWinEvent& event) {
    IgnoreErrors([this] { SetFocus(); });
    event.Skip();
}

}  // namespace pagrovix
