#include "capture/CaptureLimits.h"

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

TEST(CaptureLimits, CountsPageBandAndThePaintedView) {
    // 1280 x 70000 page, 32763-row band, painted 1280 wide at 4 bytes a pixel.
    EXPECT_EQ(CaptureBytes(1280, 70000, 32763, 1280),
              1280ull * 70000 * 3 + 1280ull * 32763 * 3 + 1280ull * 32763 * 4);
    // No overflow at the largest sizes.
    EXPECT_EQ(CaptureBytes(32767, 2000000000, 32763, 32767),
              32767ull * 2000000000 * 3 + 32767ull * 32763 * 7);
}

TEST(CaptureLimits, PageWidthStopsWhereTheViewWithItsScrollBarReachesTheEngineLimit) {
    EXPECT_NO_THROW(CheckPageWidth(32767, 0));
    EXPECT_THROW(CheckPageWidth(32768, 0), Error);
    EXPECT_NO_THROW(CheckPageWidth(32752, 15));
    try {
        CheckPageWidth(32753, 15);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(),
                     "The page is 32753 pixels wide: the browser can paint pages at most 32752 "
                     "pixels wide, so it cannot be captured.");
    }
}

TEST(CaptureLimits, MemoryGuardRefusesWhatDoesNotFitAndSaysHowMuch) {
    EXPECT_NO_THROW(CheckCaptureMemory(10, 10, 1000, 1000));
    try {
        CheckCaptureMemory(1280, 70000, 600ull * 1024 * 1024 + 1, 100ull * 1024 * 1024);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(),
                     "The page is too large to capture: 1280 x 70000 pixels need 601 MB of "
                     "memory, but only 100 MB are available.");
    }
}

TEST(CaptureLimits, ReadsMemAvailableFromMeminfo) {
    const std::string meminfo =
        "MemTotal:       24683520 kB\n"
        "MemFree:        24121344 kB\n"
        "MemAvailable:   24087552 kB\n"
        "Buffers:           12345 kB\n";
    EXPECT_EQ(ParseAvailableMemory(meminfo), 24087552ull * 1024);
    EXPECT_EQ(ParseAvailableMemory("MemTotal: 100 kB\nMemFree: 50 kB\n"), std::nullopt);
    EXPECT_EQ(ParseAvailableMemory(""), std::nullopt);
    // This machine tells, and it has some memory left.
    EXPECT_GT(AvailableMemory(), 0u);
}

}  // namespace
}  // namespace pagrovix
