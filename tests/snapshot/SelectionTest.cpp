#include "snapshot/Selection.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

void ExpectRect(const Selection& selection, int x0, int y0, int x1, int y1) {
    const SelectionRect r = selection.Rect();
    EXPECT_EQ(r.x0, x0);
    EXPECT_EQ(r.y0, y0);
    EXPECT_EQ(r.x1, x1);
    EXPECT_EQ(r.y1, y1);
}

void ExpectBounds(const PixelRect& r, int left, int top, int width, int height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

// A selection of (x0, y0) to (x1, y1) in a picture of the given size.
Selection Selected(int width, int height, int x0, int y0, int x1, int y1) {
    Selection selection(width, height);
    selection.PlaceHandle(Handle::TopLeft, x0, y0);
    selection.PlaceHandle(Handle::BottomRight, x1 - 6, y1 - 6);
    return selection;
}

TEST(SelectionOpening, SelectsTheWholePictureWithLinesOutsideIt) {
    const Selection selection(640, 480);
    ExpectRect(selection, 0, 0, 640, 480);
    ExpectBounds(selection.HandleBounds(Handle::TopLeft), 0, 0, 6, 6);
    ExpectBounds(selection.HandleBounds(Handle::BottomRight), 634, 474, 6, 6);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Top), -2, -2, 642, 2);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Left), -2, -2, 2, 482);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Bottom), 0, 480, 642, 2);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Right), 640, 0, 2, 482);
}

TEST(SelectionOpening, GuideLinesFollowTheSelectionAndSpanThePicture) {
    const Selection selection = Selected(640, 480, 10, 20, 110, 220);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Top), -2, 18, 642, 2);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Left), 8, -2, 2, 482);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Bottom), 0, 220, 642, 2);
    ExpectBounds(selection.GuideLineBounds(GuideLine::Right), 110, 0, 2, 482);
}

TEST(TopLeftHandleClamp, StopsAtTheLeftAndTopEdges) {
    Selection selection = Selected(640, 480, 50, 60, 300, 200);
    selection.PlaceHandle(Handle::TopLeft, -7, -30);
    selection.Clamp(Handle::TopLeft);
    ExpectRect(selection, 0, 0, 300, 200);
}

TEST(TopLeftHandleClamp, StopsTwelvePixelsBeforeTheOtherHandle) {
    Selection selection = Selected(640, 480, 50, 60, 300, 200);
    selection.PlaceHandle(Handle::TopLeft, 295, 60);
    selection.Clamp(Handle::TopLeft);
    ExpectRect(selection, 288, 60, 300, 200);
    selection.PlaceHandle(Handle::TopLeft, 100, 500);
    selection.Clamp(Handle::TopLeft);
    ExpectRect(selection, 100, 188, 300, 200);
}

TEST(TopLeftHandleClamp, GapComesLastInAPictureNarrowerThanTwelvePixels) {
    Selection selection(8, 5);
    selection.PlaceHandle(Handle::TopLeft, -3, -1);
    selection.Clamp(Handle::TopLeft);
    // The minimum size wins over the picture's edge: the selection reaches past it.
    ExpectRect(selection, -4, -7, 8, 5);
}

TEST(BottomRightHandleClamp, StopsAtTheRightAndBottomEdges) {
    Selection selection = Selected(640, 480, 50, 60, 300, 200);
    selection.PlaceHandle(Handle::BottomRight, 900, 700);
    selection.Clamp(Handle::BottomRight);
    ExpectRect(selection, 50, 60, 640, 480);
}

TEST(BottomRightHandleClamp, StopsTwelvePixelsAfterTheOtherHandle) {
    Selection selection = Selected(640, 480, 50, 60, 300, 200);
    selection.PlaceHandle(Handle::BottomRight, -100, 194);
    selection.Clamp(Handle::BottomRight);
    ExpectRect(selection, 50, 60, 62, 200);
    selection.PlaceHandle(Handle::BottomRight, 294, 10);
    selection.Clamp(Handle::BottomRight);
    ExpectRect(selection, 50, 60, 300, 72);
}

TEST(BottomRightHandleClamp, EdgeComesLastInAPictureNarrowerThanTwelvePixels) {
    Selection selection(8, 5);
    selection.PlaceHandle(Handle::BottomRight, -20, -20);
    selection.Clamp(Handle::BottomRight);
    // The picture's edge wins over the minimum size: the selection stays inside.
    ExpectRect(selection, 0, 0, 8, 5);
}

TEST(SelectionClamp, NoActiveHandleLeavesBothWhereTheyAre) {
    Selection selection(100, 100);
    selection.PlaceHandle(Handle::TopLeft, -50, 500);
    selection.PlaceHandle(Handle::BottomRight, 400, -30);
    selection.Clamp(Handle::None);
    ExpectRect(selection, -50, 500, 406, -24);
}

TEST(SelectionClamp, OnlyTheActiveHandleMoves) {
    Selection selection = Selected(640, 480, 50, 60, 300, 200);
    selection.PlaceHandle(Handle::BottomRight, 700, 600);
    selection.Clamp(Handle::TopLeft);
    ExpectRect(selection, 50, 60, 706, 606);
}

TEST(TypedCorner, PlacesTheCornersHandleAndClampsIt) {
    Selection selection(1280, 900);
    selection.SetCorner(3, 99999);
    EXPECT_EQ(selection.Rect().x1, 1280);
    selection.SetCorner(3, 5);
    EXPECT_EQ(selection.Rect().x1, 12);
    selection.SetCorner(4, 400);
    selection.SetCorner(2, 395);
    ExpectRect(selection, 0, 388, 12, 400);
    selection.SetCorner(1, -40);
    EXPECT_EQ(selection.Rect().x0, 0);
}

TEST(TypedCorner, ExtremeValuesNeitherOverflowNorSwapCorners) {
    Selection selection(300, 200);
    selection.SetCorner(3, std::numeric_limits<int>::min());
    selection.SetCorner(4, std::numeric_limits<int>::max());
    ExpectRect(selection, 0, 0, 12, 200);
    selection.SetCorner(1, std::numeric_limits<int>::max());
    selection.SetCorner(2, std::numeric_limits<int>::min());
    ExpectRect(selection, 0, 0, 12, 200);
}

// One drag step as the window takes it: the handle follows the pointer, then is clamped.
void DragStep(Selection& selection, int x, int y) {
    selection.MoveDraggedHandle({x, y});
    selection.Clamp(selection.DraggedHandle());
}

TEST(HandleDrag, FollowsThePointersMovementNotItsPosition) {
    Selection selection = Selected(640, 480, 100, 100, 300, 300);
    selection.BeginDrag(Handle::TopLeft, {1000, 700});
    DragStep(selection, 1013, 690);
    ExpectRect(selection, 113, 90, 300, 300);
    DragStep(selection, 1013, 690);
    ExpectRect(selection, 113, 90, 300, 300);
}

TEST(HandleDrag, ComesBackAtOnceAfterThePointerRanPastALimit) {
    Selection selection = Selected(640, 480, 20, 30, 300, 300);
    selection.BeginDrag(Handle::TopLeft, {500, 500});
    DragStep(selection, 450, 500);
    EXPECT_EQ(selection.Rect().x0, 0);
    DragStep(selection, 455, 500);
    EXPECT_EQ(selection.Rect().x0, 5);
    selection.EndDrag();

    selection.BeginDrag(Handle::BottomRight, {500, 500});
    DragStep(selection, 900, 800);
    ExpectRect(selection, 5, 30, 640, 480);
    DragStep(selection, 897, 790);
    ExpectRect(selection, 5, 30, 637, 470);
    DragStep(selection, 0, 790);
    ExpectRect(selection, 5, 30, 17, 470);
    DragStep(selection, 4, 790);
    ExpectRect(selection, 5, 30, 21, 470);
}

TEST(HandleDrag, MovesNothingWhenNoHandleIsDragged) {
    Selection selection = Selected(640, 480, 20, 30, 300, 300);
    selection.MoveDraggedHandle({10, 10});
    selection.BeginDrag(Handle::BottomRight, {100, 100});
    selection.EndDrag();
    EXPECT_EQ(selection.DraggedHandle(), Handle::None);
    selection.MoveDraggedHandle({0, 0});
    ExpectRect(selection, 20, 30, 300, 300);
}

}  // namespace
}  // namespace pagrovix
