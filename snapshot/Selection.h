#pragma once

namespace pagrovix {

struct PixelPoint {
    int x = 0;
    int y = 0;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Contains(PixelPoint p) const {
        return p.x >= left && p.x < Right() && p.y >= top && p.y < Bottom();
    }
};

// The selected part of the picture in picture pixels; x1 and y1 are exclusive.
struct SelectionRect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;

    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
};

// Which handle is meant; the numbers are the handles' tags.
enum class Handle { None = 0, TopLeft = 1, BottomRight = 2 };

enum class GuideLine { Top, Left, Bottom, Right };

// The selection of the Snapshot window, kept as the positions of its two 6 x 6 handles: the
// top-left handle covers the pixels from (x0, y0), the bottom-right one the pixels that end at
// (x1 - 1, y1 - 1). Handles move freely and are then clamped to the picture and to a 12 x 12
// minimum, in a fixed order that decides what happens when the picture is narrower than that.
class Selection {
public:
    static constexpr int kHandleSize = 6;
    static constexpr int kMinimumSize = 2 * kHandleSize;
    static constexpr int kLineWidth = 2;

    // The whole picture selected.
    Selection(int pictureWidth, int pictureHeight);

    SelectionRect Rect() const;
    PixelRect HandleBounds(Handle handle) const;
    // The guide lines run across the whole picture, 2 px outside the selection's edges.
    PixelRect GuideLineBounds(GuideLine line) const;

    // Puts the handle's top-left corner at (left, top), unclamped.
    void PlaceHandle(Handle handle, int left, int top);
    void MoveHandle(Handle handle, int dx, int dy);

    // Keeps the given handle inside the picture and 12 px from the other handle; Handle::None
    // leaves both where they are.
    void Clamp(Handle active);

    // A typed corner, 1 = x0, 2 = y0, 3 = x1, 4 = y1: the corner's handle goes there, then is
    // clamped like a dragged one.
    void SetCorner(int corner, int value);
    int Corner(int corner) const;

    // A drag follows the pointer's movement on the screen, not its position; clamping the
    // dragged handle after each step makes a handle held at a limit come back as soon as the
    // pointer turns. Moving does nothing while no drag is on.
    void BeginDrag(Handle handle, PixelPoint screenPosition);
    void MoveDraggedHandle(PixelPoint screenPosition);
    void EndDrag() { dragged_ = Handle::None; }
    Handle DraggedHandle() const { return dragged_; }

private:
    PixelPoint& Position(Handle handle);

    int width_;
    int height_;
    PixelPoint topLeft_;
    PixelPoint bottomRight_;
    Handle dragged_ = Handle::None;
    PixelPoint lastCursor_;
};

}  // namespace pagrovix
