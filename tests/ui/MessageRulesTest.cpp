#include "ui/MessageRules.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(MessageCaption, FirstMatchingIconWins) {
    EXPECT_EQ(CaptionForIcon(0x40, "Page"), "Information");
    EXPECT_EQ(CaptionForIcon(0x50, "Page"), "Information");  // information and error bits
    EXPECT_EQ(CaptionForIcon(0x30, "Page"), "Warning");
    EXPECT_EQ(CaptionForIcon(0x34, "Page"), "Warning");
    EXPECT_EQ(CaptionForIcon(0x20, "Page"), "Confirm");
    EXPECT_EQ(CaptionForIcon(0x10, "Page"), "Error");
}

TEST(MessageCaption, NoIconShowsTheApplicationTitle) {
    EXPECT_EQ(CaptionForIcon(0x00, "Example Domain"), "Example Domain");
    EXPECT_EQ(CaptionForIcon(0x04, "Pagrovix"), "Pagrovix");
}

TEST(MessageCaption, OnlyTheOneNulCharacterMeansTheApplicationTitle) {
    EXPECT_EQ(ResolveCaption(kNoCaption, "Example Domain"), "Example Domain");
    EXPECT_EQ(ResolveCaption("", "Example Domain"), "");
    EXPECT_EQ(ResolveCaption(std::string(2, '\0'), "Title"), std::string(2, '\0'));
    EXPECT_EQ(ResolveCaption("Error", "Title"), "Error");
}

TEST(FullStopRule, AddsAStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(WithFullStop("Stream write error"), "Stream write error.");
    EXPECT_EQ(WithFullStop("JPEG error #42"), "JPEG error #42.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop("Really!"), "Really!");
    EXPECT_EQ(WithFullStop("Cannot create file \"/x\". No such file or directory"),
              "Cannot create file \"/x\". No such file or directory.");
    EXPECT_EQ(WithFullStop("(-)"), "(-)");
    EXPECT_EQ(WithFullStop("/"), "/.");
    EXPECT_EQ(WithFullStop(""), "");
}

}  // namespace
}  // namespace pagrovix
