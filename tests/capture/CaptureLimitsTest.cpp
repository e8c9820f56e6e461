#include "capture/CaptureLimits.h"

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

TEST(CaptureLimits, CountsThePictureAndTheEnginesPainting) {
    // 1280 x 70000 picture, painted view by view in a 1265 x 700 view at 4 bytes a pixel.
    EXPECT_EQ(CaptureBytes(1280, 70000, 1265, 700), 1280ull * 70000 * 3 + 1265ull * 700 * 4);
    // No overflow at the largest sizes.
    EXPECT_EQ(CaptureBytes(32767, 2000000000, 32767, 32763),
              32767ull * 2000000000 * 3 + 32767ull * 32763 * 4);
}

TEST(CaptureLimits, PageWidthStopsWhereItsDevicePixelsReachTheEngineLimit) {
    EXPECT_NO_THROW(CheckPageWidth(32767, 1));
    EXPECT_THROW(CheckPageWidth(32768, 1), Error);
    EXPECT_NO_THROW(CheckPageWidth(16383, 2));
    try {
        CheckPageWidth(16384, 2);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(),
                     "The page is 16384 pixels wide: the browser can paint pages at most 16383 "
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
