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
    } catch (const MemoryShortage& error) {
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

TEST(CaptureLimits, ControlGroupsBindAtTheirLimitLessWhatCannotBeDropped) {
    constexpr std::uint64_t kGigabyte = 1024ull * 1024 * 1024;
    // Version 2: 1 GB used, of which 300 MB page cache that can go, under a 1.2 GB limit.
    EXPECT_EQ(CgroupHeadroom("1288490188\n", "1073741824\n",
                             "anon 700000000\nfile 373741824\ninactive_file 314572800\n"),
              1288490188ull - (1073741824ull - 314572800ull));
    // Version 1 counts the subtree's cache; its "no limit" and version 2's "max" are none.
    EXPECT_EQ(CgroupHeadroom(std::to_string(3 * kGigabyte), std::to_string(kGigabyte),
                             "cache 5\ninactive_file 1\ntotal_inactive_file 1024\n"),
              2 * kGigabyte + 1024);
    EXPECT_EQ(CgroupHeadroom("9223372036854771712", "5000", ""), std::nullopt);
    EXPECT_EQ(CgroupHeadroom("max\n", "5000", ""), std::nullopt);
    EXPECT_EQ(CgroupHeadroom("", "", ""), std::nullopt);
    // Over the limit: nothing left, not a wrapped-around number.
    EXPECT_EQ(CgroupHeadroom("1000", "2000", ""), 0u);

    // The group's own folder and each parent up to the mount, for both versions.
    const std::vector<CgroupFolder> folders = CgroupFolders(
        "12:cpu,cpuacct:/x\n4:memory:/jobs/a\n0::/user.slice/run.scope\n", "/sys/fs/cgroup");
    std::vector<std::string> paths;
    for (const CgroupFolder& folder : folders) {
        paths.push_back(folder.path + (folder.version2 ? " v2" : " v1"));
    }
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "/sys/fs/cgroup/memory/jobs/a v1", "/sys/fs/cgroup/memory/jobs v1",
                         "/sys/fs/cgroup/memory v1", "/sys/fs/cgroup/user.slice/run.scope v2",
                         "/sys/fs/cgroup/user.slice v2", "/sys/fs/cgroup v2"}));
    // In a container the group is the mount itself.
    ASSERT_EQ(CgroupFolders("0::/\n", "/sys/fs/cgroup").size(), 1u);
}

}  // namespace
}  // namespace pagrovix
