#include <tuple>

#include <gtest/gtest.h>

#include "imaging/FileNames.h"
#include "snapshot/SaveFormats.h"
#include "snapshot/SpinFieldRules.h"
#include "snapshot/WindowGeometry.h"

namespace pagrovix {
namespace {

TEST(CoverWorkArea, PutsTheBordersJustOutsideTheWorkAreaAndTheTitleBarInside) {
    struct Case {
        PixelRect work;
        FrameExtents extents;
        PixelRect frame;
        PixelRect client;
    };
    const Case cases[] = {
        // A border of 1 and a title bar of 19 (openbox).
        {{0, 0, 1920, 1080}, {1, 1, 20, 1}, {-1, -1, 1922, 1082}, {0, 19, 1920, 1061}},
        // A task bar on top; uneven borders.
        {{0, 27, 1920, 1053}, {4, 5, 30, 3}, {-4, 24, 1929, 1059}, {0, 54, 1920, 1026}},
        // No window manager: no frame, the window is the work area.
        {{100, 0, 800, 600}, {0, 0, 0, 0}, {100, 0, 800, 600}, {100, 0, 800, 600}},
        {{100, 0, 800, 600}, {-1, -1, -1, -1}, {100, 0, 800, 600}, {100, 0, 800, 600}},
        // A frame with no title bar: the top border is all of the top extent.
        {{0, 0, 640, 480}, {2, 2, 1, 2}, {-2, -1, 644, 483}, {0, 0, 640, 480}},
    };
    for (const Case& c : cases) {
        const WindowPlacement p = CoverWorkArea(c.work, c.extents);
        EXPECT_EQ(std::tie(p.frame.left, p.frame.top, p.frame.width, p.frame.height),
                  std::tie(c.frame.left, c.frame.top, c.frame.width, c.frame.height));
        EXPECT_EQ(std::tie(p.client.left, p.client.top, p.client.width, p.client.height),
                  std::tie(c.client.left, c.client.top, c.client.width, c.client.height));
    }
}

TEST(SnapshotLayout, ToolbarOnTopStatusBelowScrollAreaBetween) {
    const SnapshotLayout layout = LayOutSnapshotWindow(1000, 700);
    EXPECT_EQ(layout.toolbar.top, 0);
    EXPECT_EQ(layout.toolbar.height, 26);
    EXPECT_EQ(layout.scrollArea.top, 26);
    EXPECT_EQ(layout.scrollArea.height, 647);
    EXPECT_EQ(layout.status.top, 673);
    EXPECT_EQ(layout.status.height, 27);
    EXPECT_EQ(layout.status.width, 1000);
    const SnapshotLayout tiny = LayOutSnapshotWindow(100, 30);
    EXPECT_GE(tiny.scrollArea.height, 0);
    EXPECT_EQ(tiny.status.Bottom(), 30);
    EXPECT_EQ(ReadoutLeft(1000, 120), 868);
}

TEST(SpinField, TextThatIsNoWholeNumberReadsAsTheMinimum) {
    EXPECT_EQ(SpinFieldValue("80", kJpegQualityRange), 80);
    EXPECT_EQ(SpinFieldValue("150", kJpegQualityRange), 150);
    EXPECT_EQ(SpinFieldValue("8.5", kJpegQualityRange), 0);
    EXPECT_EQ(SpinFieldValue("", kJpegQualityRange), 0);
    EXPECT_EQ(SpinFieldValue("-", kPngLevelRange), 0);
}

TEST(SpinField, LeavingRestoresABlankFieldAndClampsToTheRange) {
    EXPECT_EQ(SpinFieldValueOnExit("150", "80", kJpegQualityRange), 100);
    EXPECT_EQ(SpinFieldValueOnExit("-5", "80", kJpegQualityRange), 0);
    EXPECT_EQ(SpinFieldValueOnExit("", "7", kPngLevelRange), 7);
    EXPECT_EQ(SpinFieldValueOnExit("  ", "9", kPngLevelRange), 9);
    EXPECT_EQ(SpinFieldValueOnExit("8.5", "80", kJpegQualityRange), 0);
    EXPECT_EQ(SpinFieldValueOnExit("12", "9", kPngLevelRange), 9);
    EXPECT_EQ(SpinFieldValueOnExit("55", "80", kJpegQualityRange), 55);
}

TEST(SpinField, TakesDigitsSignsSeparatorAndControlKeysButNotEnter) {
    for (const char c : std::string("0123456789+-.")) {
        EXPECT_TRUE(SpinFieldAcceptsKey(c, '.')) << c;
    }
    EXPECT_TRUE(SpinFieldAcceptsKey(',', ','));
    EXPECT_FALSE(SpinFieldAcceptsKey(',', '.'));
    EXPECT_TRUE(SpinFieldAcceptsKey('\b', '.'));
    EXPECT_TRUE(SpinFieldAcceptsKey(22, '.'));  // Ctrl+V
    EXPECT_FALSE(SpinFieldAcceptsKey('\r', '.'));
    EXPECT_FALSE(SpinFieldAcceptsKey('a', '.'));
    EXPECT_FALSE(SpinFieldAcceptsKey(' ', '.'));
}

TEST(SaveFormats, QuickSavesUseTheDialogsDefaults) {
    EXPECT_STREQ(kQuickSaveBmp.filter, "*.BMP|*.bmp");
    EXPECT_STREQ(kQuickSaveJpeg.filter, "*.JPG|*.jpg");
    EXPECT_STREQ(kQuickSavePng.filter, "*.PNG|*.png");
    EXPECT_EQ(kQuickSaveJpeg.setting, kDefaultJpegQuality);
    EXPECT_EQ(kQuickSavePng.setting, kDefaultPngLevel);
    EXPECT_EQ(kDefaultJpegQuality, 80);
    EXPECT_EQ(kDefaultPngLevel, 9);
}

TEST(SaveFormats, ExtensionRuleAndWriterChoice) {
    EXPECT_EQ(EnsureExtension("shot", kQuickSavePng.extension), "shot.png");
    EXPECT_EQ(EnsureExtension("shot.PNG", kQuickSavePng.extension), "shot.PNG");
    EXPECT_EQ(EnsureExtension("shot.jpeg", kQuickSaveJpeg.extension), "shot.jpeg.jpg");
    EXPECT_EQ(EnsureExtension("shot.png", kQuickSaveJpeg.extension), "shot.png.jpg");
    EXPECT_EQ(EnsureExtension("shot.BMP", kQuickSaveBmp.extension), "shot.BMP");
    EXPECT_EQ(SaveAsFormatForPath("/tmp/a.JPG"), ImageFormat::Jpeg);
    EXPECT_EQ(SaveAsFormatForPath("/tmp/a.png"), ImageFormat::Png);
    EXPECT_EQ(SaveAsFormatForPath("/tmp/a.bmp"), std::nullopt);
    EXPECT_EQ(SaveAsFormatForPath("/tmp/x.png/a"), std::nullopt);
}

}  // namespace
}  // namespace pagrovix
