#include "capture/BandPlan.h"

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

struct Expected {
    int height;
    int bandHeight;
    int fullBands;
    int lastBandRows;
    std::vector<Band> bands;
};

void PrintTo(const Expected& expected, std::ostream* out) {
    *out << "H = " << expected.height;
}

class BandPlanTable : public testing::TestWithParam<Expected> {};

TEST_P(BandPlanTable, CutsThePageAsTheTableSays) {
    const Expected& expected = GetParam();
    const BandPlan plan = PlanBands(1280, expected.height);
    EXPECT_EQ(plan.width, 1280);
    EXPECT_EQ(plan.height, expected.height);
    EXPECT_EQ(plan.bandHeight, expected.bandHeight);
    EXPECT_EQ(plan.fullBands, expected.fullBands);
    EXPECT_EQ(plan.lastBandRows, expected.lastBandRows);
    EXPECT_EQ(plan.bands, expected.bands);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, BandPlanTable,
    testing::Values(Expected{1000, 1000, 1, 0, {{0, 1000}}},
                    Expected{32763, 32763, 1, 0, {{0, 32763}}},
                    Expected{32764, 32763, 1, 1, {{0, 32763}, {32763, 1}}},
                    // R = 0: the empty last band has nothing to copy and is left out.
                    Expected{65526, 32763, 2, 0, {{0, 32763}, {32763, 32763}}},
                    Expected{70000, 32763, 2, 4474, {{0, 32763}, {32763, 32763}, {65526, 4474}}},
                    Expected{1, 1, 1, 0, {{0, 1}}}),
    [](const testing::TestParamInfo<Expected>& info) {
        return "Height" + std::to_string(info.param.height);
    });

TEST(BandPlan, BandsCoverEveryRowOnceAndNoneIsTallerThanTheLimit) {
    for (int height : {2, 999, 32762, 32765, 65525, 65527, 98289, 98290, 200000}) {
        const BandPlan plan = PlanBands(10, height);
        int next = 0;
        for (const Band& band : plan.bands) {
            EXPECT_EQ(band.y, next) << "height " << height;
            EXPECT_GT(band.rows, 0);
            EXPECT_LE(band.rows, MaxBandHeight);
            next = band.y + band.rows;
        }
        EXPECT_EQ(next, height);
    }
}

TEST(BandPlan, RefusesAPageWithoutWidthOrHeight) {
    EXPECT_THROW(PlanBands(1280, 0), Error);
    EXPECT_THROW(PlanBands(0, 1000), Error);
    EXPECT_THROW(PlanBands(-5, 1000), Error);
    try {
        PlanBands(800, 0);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "The page is empty: it has no width or height to capture.");
    }
}

}  // namespace
}  // namespace pagrovix
