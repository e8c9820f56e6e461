#include "capture/CapturePlan.h"

#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

using testing::ElementsAre;

PageGeometry Page(int width, int height, ViewSize view = {1280, 700}, int scale = 1) {
    return {{width, height}, view, scale};
}

TEST(CapturePlan, PicturesUpToTheBandHeightArePaintedWholeInDevicePixels) {
    for (const auto& [page, whole] : std::vector<std::pair<PageGeometry, bool>>{
             {Page(1280, 1000), true},
             {Page(1280, MaxBandHeight), true},
             {Page(1280, MaxBandHeight + 1), false},
             {Page(640, MaxBandHeight / 2, {640, 400}, 2), true},
             {Page(640, MaxBandHeight / 2 + 1, {640, 400}, 2), false},
         }) {
        const CapturePlan plan = PlanCapture(page);
        EXPECT_EQ(plan.wholeDocument, whole) << page.document.height << " at " << page.scale;
        EXPECT_EQ(plan.pictureWidth, page.document.width * page.scale);
        EXPECT_EQ(plan.pictureHeight, page.document.height * page.scale);
        EXPECT_EQ(plan.tiles.empty(), whole);
    }
}

TEST(CapturePlan, LastTilesScrollOnlyAsFarAsThePageGoes) {
    const CapturePlan plan = PlanCapture(Page(2000, 70000, {1200, 30000}));
    EXPECT_THAT(plan.tiles,
                ElementsAre(Tile{0, 0, 0, 0, 1200, 30000}, Tile{800, 0, 1200, 0, 800, 30000},
                            Tile{0, 30000, 0, 30000, 1200, 30000},
                            Tile{800, 30000, 1200, 30000, 800, 30000},
                            Tile{0, 40000, 0, 60000, 1200, 10000},
                            Tile{800, 40000, 1200, 60000, 800, 10000}));
    EXPECT_EQ(plan.Paints(), 6);
}

// Every pixel of the page comes from exactly one tile, and each tile lies inside the view at a
// scroll position the page can reach.
TEST(CapturePlan, TilesCoverEveryPixelOnceFromInsideTheView) {
    for (const PageGeometry& page :
         {Page(37, 32764, {10, 700}), Page(10, 65526, {10, 32763}), Page(13, 40001, {13, 40001}),
          Page(5, 98290, {7, 999}), Page(3, 20000, {2, 3}, 2)}) {
        const CapturePlan plan = PlanCapture(page);
        std::vector<int> covered(std::size_t(page.document.width) * page.document.height, 0);
        for (const Tile& tile : plan.tiles) {
            ASSERT_GE(tile.scrollX, 0);
            ASSERT_GE(tile.scrollY, 0);
            ASSERT_LE(tile.scrollX, std::max(0, page.document.width - page.view.width));
            ASSERT_LE(tile.scrollY, std::max(0, page.document.height - page.view.height));
            ASSERT_GE(tile.x, tile.scrollX);
            ASSERT_GE(tile.y, tile.scrollY);
            ASSERT_LE(tile.x + tile.width, tile.scrollX + page.view.width);
            ASSERT_LE(tile.y + tile.rows, tile.scrollY + page.view.height);
            for (int y = tile.y; y < tile.y + tile.rows; ++y) {
                for (int x = tile.x; x < tile.x + tile.width; ++x) {
                    ++covered[std::size_t(y) * page.document.width + x];
                }
            }
        }
        EXPECT_THAT(covered, testing::Each(1)) << page.document.height;
        EXPECT_EQ(plan.tiles.front(),
                  (Tile{0, 0, 0, 0, std::min(page.document.width, page.view.width),
                        std::min(page.document.height, page.view.height)}))
            << "the first tile is the view at the top, where fixed elements show";
    }
}

TEST(CapturePlan, RefusesWhatCannotBePainted) {
    try {
        PlanCapture(Page(800, 0));
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "The page is empty: it has no width or height to capture.");
    }
    EXPECT_THROW(PlanCapture(Page(0, 1000)), Error);
    EXPECT_THROW(PlanCapture(Page(MaxViewSide + 1, 1000)), Error);
    EXPECT_THROW(PlanCapture(Page(MaxViewSide / 2 + 1, 1000, {1280, 700}, 2)), Error);
    // A tall page needs a view to show it in.
    EXPECT_THROW(PlanCapture(Page(1280, 40000, {1280, 0})), Error);
    EXPECT_NO_THROW(PlanCapture(Page(1280, 4000, {0, 0})));
}

}  // namespace
}  // namespace pagrovix
