#include "app/MainLayout.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

ToolStripMeasures DesignedToolStrip() {
    ToolStripMeasures m;
    m.panelClientWidth = 706;
    m.panelClientHeight = 44;
    m.toolbarLeft = 0;
    m.toolbarWidth = 372;
    m.goWidth = 51;
    m.goHeight = 26;
    m.addressHeight = 22;
    return m;
}

TEST(ToolStripLayout, PlacesGoAndAddressBoxAsDesigned) {
    const ToolStripPlacement p = PlaceToolStrip(DesignedToolStrip());
    EXPECT_EQ(p.goLeft, 651);
    EXPECT_EQ(p.goTop, 9);
    EXPECT_EQ(p.addressLeft, 380);
    EXPECT_EQ(p.addressTop, 11);
    EXPECT_EQ(p.addressWidth, 267);
}

TEST(ToolStripLayout, AddressBoxFollowsTheWindowWidthAndTheToolbarEnd) {
    ToolStripMeasures m = DesignedToolStrip();
    m.panelClientWidth = 1000;
    m.toolbarLeft = 10;
    const ToolStripPlacement p = PlaceToolStrip(m);
    EXPECT_EQ(p.goLeft, 945);
    EXPECT_EQ(p.addressLeft, 390);
    EXPECT_EQ(p.addressWidth, 945 - 390 - 4);
}

TEST(ToolStripLayout, TruncatesOddAndNegativeDifferencesTowardZero) {
    ToolStripMeasures m = DesignedToolStrip();
    m.panelClientHeight = 45;  // free height 23 for the address box
    EXPECT_EQ(PlaceToolStrip(m).addressTop, 11);
    m.panelClientHeight = 17;  // the box is 5 pixels taller than the panel
    EXPECT_EQ(PlaceToolStrip(m).addressTop, -2);
    m.panelClientHeight = 21;  // Go is 5 pixels taller
    EXPECT_EQ(PlaceToolStrip(m).goTop, -2);
}

TEST(ToolStripLayout, AddressWidthGoesNegativeInsteadOfOverlappingWhenTheWindowIsTooNarrow) {
    ToolStripMeasures m = DesignedToolStrip();
    m.panelClientWidth = 400;
    const ToolStripPlacement p = PlaceToolStrip(m);
    EXPECT_EQ(p.goLeft, 345);
    EXPECT_LT(p.addressWidth, 0);
}

TEST(StatusBarLayout, TextPanelTakesWhatTheFixedPanelsLeave) {
    EXPECT_EQ(PlaceStatusPanels(706), (StatusPanelWidths{426, 200, 80}));
    EXPECT_EQ(PlaceStatusPanels(1920), (StatusPanelWidths{1640, 200, 80}));
}

TEST(WindowSizeLimit, GrowsOnlyWhatIsBelowTheMinimum) {
    EXPECT_EQ(ClampWindowSize({300, 200}), (WindowSize{480, 360}));
    EXPECT_EQ(ClampWindowSize({479, 900}), (WindowSize{480, 900}));
    EXPECT_EQ(ClampWindowSize({800, 359}), (WindowSize{800, 360}));
    EXPECT_EQ(ClampWindowSize({480, 360}), (WindowSize{480, 360}));
    EXPECT_EQ(ClampWindowSize({-5, 0}), (WindowSize{480, 360}));
}

TEST(ToolCaptions, KeepTheNormalSizeWhenTheCaptionsFit) {
    EXPECT_EQ(FittingCaptionPoints(10, 7, 50, [](double points) { return int(points * 5); }), 10);
}

TEST(ToolCaptions, ShrinkInHalfPointsUntilTheWidestCaptionFits) {
    // 6.2 pixels a point: 8.0 points is the first size at or below 50 pixels.
    const auto widest = [](double points) { return int(points * 6.2); };
    EXPECT_EQ(FittingCaptionPoints(10, 7, 50, widest), 8.0);
    EXPECT_EQ(FittingCaptionPoints(9.5, 7, 50, widest), 8.0);
}

TEST(ToolCaptions, StopAtTheSmallestSize) {
    EXPECT_EQ(FittingCaptionPoints(10, 7, 10, [](double points) { return int(points * 9); }), 7);
    EXPECT_EQ(FittingCaptionPoints(6, 7, 50, [](double) { return 0; }), 7);
}

}  // namespace
}  // namespace pagrovix
