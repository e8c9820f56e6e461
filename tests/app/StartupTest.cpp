#include "app/Startup.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(StartAddress, IsTheFirstArgumentUnchangedOrAboutBlank) {
    EXPECT_EQ(StartAddress({}), "about:blank");
    EXPECT_EQ(StartAddress({"  http://a/  "}), "  http://a/  ");
    EXPECT_EQ(StartAddress({"http://a/", "http://b/"}), "http://a/");
    EXPECT_EQ(StartAddress({""}), "");
}

TEST(DisplayCheck, NeedsOneOfTheDisplays) {
    EXPECT_TRUE(MissingDisplayMessage(nullptr, nullptr).has_value());
    EXPECT_TRUE(MissingDisplayMessage("", "").has_value());
    EXPECT_FALSE(MissingDisplayMessage(":0", nullptr).has_value());
    EXPECT_FALSE(MissingDisplayMessage(nullptr, "wayland-0").has_value());
    const std::string message = *MissingDisplayMessage(nullptr, "");
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_NE(message.find("DISPLAY"), std::string::npos);
}

TEST(DisplayCheck, NamesTheDisplayThatCannotBeOpened) {
    EXPECT_NE(UnreachableDisplayMessage(":77", nullptr).find("\":77\""), std::string::npos);
    EXPECT_NE(UnreachableDisplayMessage(":77", "wayland-1").find("\"wayland-1\""),
              std::string::npos);
}

}  // namespace
}  // namespace pagrovix
