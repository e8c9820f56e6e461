#include "snapshot/Selection.h"

#include <algorithm>
#include <cstdint>

namespace pagrovix {
namespace {

// Unclamped positions stay within this, far beyond any picture, so that the sums of positions,
// sizes and gaps below never overflow.
constexpr std::int64_t kPositionLimit = std::int64_t(1) << 30;

int Bounded(std::int64_t value) {
    return int(std::clamp(value, -kPositionLimit, kPositionLimit));
}

}  // namespace

Selection::Selection(int pictureWidth, int pictureHeight)
    : width_(pictureWidth),
      height_(pictureHeight),
      topLeft_{0, 0},
      bottomRight_{pictureWidth - kHandleSize, pictureHeight - kHandleSize} {}

SelectionRect Selection::Rect() const {
    return {topLeft_.x, topLeft_.y, bottomRight_.x + kHandleSize, bottomRight_.y + kHandleSize};
}

PixelRect Selection::HandleBounds(Handle handle) const {
    const PixelPoint p = handle == Handle::BottomRight ? bottomRight_ : topLeft_;
    return {p.x, p.y, kHandleSize, kHandleSize};
}

PixelRect Selection::GuideLineBounds(GuideLine line) const {
    const SelectionRect r = Rect();
    switch (line) {
        case GuideLine::Top:
            return {-kLineWidth, r.y0 - kLineWidth, width_ + kLineWidth, kLineWidth};
        case GuideLine::Left:
            return {r.x0 - kLineWidth, -kLineWidth, kLineWidth, height_ + kLineWidth};
        case GuideLine::Bottom:
            return {0, r.y1, width_ + kLineWidth, kLineWidth};
        case GuideLine::Right:
            break;
    }
    return {r.x1, 0, kLineWidth, height_ + kLineWidth};
}

PixelPoint& Selection::Position(Handle handle) {
    return handle == Handle::BottomRight ? bottomRight_ : topLeft_;
}

void Selection::PlaceHandle(Handle handle, int left, int top) {
    if (handle == Handle::None) {
        return;
    }
    Position(handle) = {Bounded(left), Bounded(top)};
}

void Selection::MoveHandle(Handle handle, int dx, int dy) {
    if (handle == Handle::None) {
        return;
    }
    PixelPoint& p = Position(handle);
    p = {Bounded(std::int64_t(p.x) + dx), Bounded(std::int64_t(p.y) + dy)};
}

void Selection::Clamp(Handle active) {
    constexpr int gap = kHandleSize;
    if (active == Handle::TopLeft) {
        // The gap to the other handle comes last, so in a picture narrower than 12 px the
        // selection keeps its minimum size and reaches past the left or top edge.
        if (topLeft_.x < 0) {
            topLeft_.x = 0;
        }
        if (topLeft_.y < 0) {
            topLeft_.y = 0;
        }
        if (bottomRight_.x < topLeft_.x + gap) {
            topLeft_.x = bottomRight_.x - gap;
        }
        if (bottomRight_.y < topLeft_.y + gap) {
            topLeft_.y = bottomRight_.y - gap;
        }
    } else if (active == Handle::BottomRight) {
        // Here the picture's edge comes last: the selection never reaches past the right or
        // bottom edge, even when that leaves it below the minimum size.
        if (bottomRight_.x < topLeft_.x + gap) {
            bottomRight_.x = topLeft_.x + gap;
        }
        if (bottomRight_.y < topLeft_.y + gap) {
            bottomRight_.y = topLeft_.y + gap;
        }
        if (bottomRight_.x > width_ - kHandleSize) {
            bottomRight_.x = width_ - kHandleSize;
        }
        if (bottomRight_.y > height_ - kHandleSize) {
            bottomRight_.y = height_ - kHandleSize;
        }
    }
}

void Selection::SetCorner(int corner, int value) {
    switch (corner) {
        case 1:
            PlaceHandle(Handle::TopLeft, value, topLeft_.y);
            Clamp(Handle::TopLeft);
            break;
        case 2:
            PlaceHandle(Handle::TopLeft, topLeft_.x, value);
            Clamp(Handle::TopLeft);
            break;
        case 3:
            PlaceHandle(Handle::BottomRight, Bounded(std::int64_t(value) - kHandleSize),
                        bottomRight_.y);
            Clamp(Handle::BottomRight);
            break;
        case 4:
            PlaceHandle(Handle::BottomRight, bottomRight_.x,
                        Bounded(std::int64_t(value) - kHandleSize));
            Clamp(Handle::BottomRight);
            break;
        default:
            break;
    }
}

int Selection::Corner(int corner) const {
    const SelectionRect r = Rect();
    switch (corner) {
        case 1:
            return r.x0;
        case 2:
            return r.y0;
        case 3:
            return r.x1;
        default:
            return r.y1;
    }
}

void Selection::BeginDrag(Handle handle, PixelPoint screenPosition) {
    lastCursor_ = screenPosition;
    dragged_ = handle;
}

void Selection::MoveDraggedHandle(PixelPoint screenPosition) {
    if (dragged_ == Handle::None) {
        return;
    }
    MoveHandle(dragged_, Bounded(std::int64_t(screenPosition.x) - lastCursor_.x),
               Bounded(std::int64_t(screenPosition.y) - lastCursor_.y));
    lastCursor_ = screenPosition;
}

}  // namespace pagrovix
