#include "shot/SplitParts.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(SplitParts, EveryRowIsInAPartAndNeighboursShareTheOverlap) {
    for (const int height : {1, 99, 100, 101, 250, 1000, 32764}) {
        for (const SplitRows split : {SplitRows{100, 0}, SplitRows{100, 30}, SplitRows{100, 99}}) {
            SCOPED_TRACE(std::to_string(height) + " " + std::to_string(split.rows) + ":" +
                         std::to_string(split.overlap));
            const std::vector<PartRows> parts = PlanParts(height, split);
            ASSERT_FALSE(parts.empty());
            EXPECT_EQ(parts.front().top, 0);
            EXPECT_EQ(parts.back().bottom, height);
            for (std::size_t i = 0; i < parts.size(); ++i) {
                EXPECT_GT(parts[i].bottom, parts[i].top);
                EXPECT_LE(parts[i].bottom - parts[i].top, split.rows);
                if (i > 0) {
                    EXPECT_EQ(parts[i - 1].bottom - parts[i].top,
                              height > split.rows ? split.overlap : 0);
                }
            }
        }
    }
    EXPECT_EQ(PlanParts(250, {100, 0}).size(), 3u);
    EXPECT_EQ(PlanParts(100, {100, 50}).size(), 1u);
}

TEST(SplitParts, PartNamesTakeTheirNumberBeforeTheExtension) {
    EXPECT_EQ(PartPath("shots/a.b.PNG", 2), "shots/a.b-2.PNG");
    EXPECT_EQ(PartPath("shots.d/page", 1), "shots.d/page-1");
    EXPECT_EQ(PartPath("x.webp", 10), "x-10.webp");
}

}  // namespace
}  // namespace pagrovix
