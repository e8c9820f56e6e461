#include "about/AboutLayout.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(AboutLayout, CentresWithTheHalfTruncated) {
    EXPECT_EQ(CentredLeft(kAboutClientWidth, 60), 117);  // 117.5
    EXPECT_EQ(CentredLeft(kAboutClientWidth, 61), 117);
    EXPECT_EQ(CentredLeft(kAboutClientWidth, 295), 0);
    EXPECT_EQ(CentredLeft(kAboutClientWidth, 300), -2);  // -2.5 toward zero, not -3
}

TEST(AboutLayout, IconSitsTenPixelsLeftOfTheTitle) {
    EXPECT_EQ(IconLeftOfTitle(117, 32), 75);
    EXPECT_EQ(IconLeftOfTitle(20, 32), -22);
}

TEST(AboutLayout, LinksKeepTheirPlaceUnlessTheCaptionReachesThem) {
    EXPECT_EQ(LinkLeft(115, 66 + 45), 115);
    EXPECT_EQ(LinkLeft(115, 66 + 58), 128);
    EXPECT_EQ(LinkLeft(115, 111), 115);
    EXPECT_EQ(LinkLeft(115, 112), 116);
}

TEST(AboutLayout, TextLinesCarryTheGivenValues) {
    EXPECT_EQ(VersionLine("6.30"), "Version 6.30");
    EXPECT_NE(CopyrightLine("2009").find("2009"), std::string::npos);
    EXPECT_NE(CopyrightLine("2008").find("Qorvan"), std::string::npos);
}

}  // namespace
}  // namespace pagrovix
