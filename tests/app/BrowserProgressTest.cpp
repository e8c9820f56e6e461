#include "app/BrowserProgress.h"

#include <limits>

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(LoadProgress, ScalesTheEstimateWhileLoadingAndEndsAtMinusOne) {
    EXPECT_EQ(ReportLoadProgress(0.0, true), (ProgressReport{0, 100}));
    EXPECT_EQ(ReportLoadProgress(0.1, true), (ProgressReport{10, 100}));
    EXPECT_EQ(ReportLoadProgress(0.555, true), (ProgressReport{56, 100}));
    EXPECT_EQ(ReportLoadProgress(1.0, true), (ProgressReport{100, 100}));
    EXPECT_EQ(ReportLoadProgress(1.0, false), (ProgressReport{-1, 100}));
    EXPECT_EQ(ReportLoadProgress(0.3, false), (ProgressReport{-1, 100}));
}

TEST(LoadProgress, KeepsOutOfRangeEstimatesInRange) {
    EXPECT_EQ(ReportLoadProgress(-0.5, true).progress, 0);
    EXPECT_EQ(ReportLoadProgress(7.0, true).progress, 100);
    EXPECT_EQ(ReportLoadProgress(std::numeric_limits<double>::quiet_NaN(), true).progress, -1);
}

TEST(ProgressBarLook, ShowsTheBarOnlyForPositiveProgress) {
    EXPECT_EQ(LookForProgress(1, 100), (ProgressBarLook{true, false, 100, 1}));
    EXPECT_EQ(LookForProgress(100, 100), (ProgressBarLook{true, false, 100, 100}));
    EXPECT_EQ(LookForProgress(0, 100), (ProgressBarLook{false, true, 100, 0}));
    EXPECT_EQ(LookForProgress(-1, 100), (ProgressBarLook{false, true, 100, 0}));
}

TEST(ProgressBarLook, NeverGivesTheGaugeAnEmptyRangeOrAValueOutsideIt) {
    EXPECT_EQ(LookForProgress(5, 0), (ProgressBarLook{true, false, 1, 1}));
    EXPECT_EQ(LookForProgress(150, 100), (ProgressBarLook{true, false, 100, 100}));
    EXPECT_EQ(LookForProgress(-1, -1), (ProgressBarLook{false, true, 1, 0}));
}

TEST(BrowserStatus, ShowsTheLinkUnderThePointerOverTheLoadState) {
    BrowserStatus status;
    EXPECT_EQ(status.Text(), "");
    status.LoadStarted("http://a/");
    EXPECT_EQ(status.Text(), "Opening page http://a/...");
    status.LinkHovered("http://b/");
    EXPECT_EQ(status.Text(), "http://b/");
    status.LoadFinished();
    EXPECT_EQ(status.Text(), "http://b/");
    status.LinkHovered("");
    EXPECT_EQ(status.Text(), "Done");
    status.LoadFailed("http://c/");
    EXPECT_EQ(status.Text(), "Cannot open http://c/");
}

}  // namespace
}  // namespace pagrovix
