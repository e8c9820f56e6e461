#include "ui/AddressRules.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(AddressTrim, RemovesBlanksAndControlCharactersAroundOnly) {
    EXPECT_EQ(TrimAddress("  http://a/ b  "), "http://a/ b");
    EXPECT_EQ(TrimAddress(std::string("\0\t\r\nx\x1F\x20", 7)), "x");
    EXPECT_EQ(TrimAddress("   "), "");
    EXPECT_EQ(TrimAddress(""), "");
    EXPECT_EQ(TrimAddress("\x7F"
                          "a"),
              "\x7F"
              "a");                                                    // DEL is code 127
    EXPECT_EQ(TrimAddress("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");  // UTF-8 bytes stay
}

TEST(AddressScheme, RecognisesSchemesButNotHostsWithPorts) {
    EXPECT_TRUE(HasScheme("https://example.org/"));
    EXPECT_TRUE(HasScheme("file:///tmp/x.html"));
    EXPECT_TRUE(HasScheme("about:blank"));
    EXPECT_TRUE(HasScheme("ABOUT:blank"));
    EXPECT_TRUE(HasScheme("data:text/html,<p>hi"));
    EXPECT_TRUE(HasScheme("view-source:http://a/"));
    EXPECT_FALSE(HasScheme("localhost:8080"));
    EXPECT_FALSE(HasScheme("example.org:81/x"));
    EXPECT_FALSE(HasScheme("example.org"));
    EXPECT_FALSE(HasScheme("/tmp/a:b"));
    EXPECT_FALSE(HasScheme("1http://a"));
    EXPECT_FALSE(HasScheme(":foo"));
}

TEST(AddressFileUrl, PercentEncodesWhatAUrlCannotHold) {
    EXPECT_EQ(FileUrl("/tmp/page.html"), "file:///tmp/page.html");
    EXPECT_EQ(FileUrl("/tmp/my page#1?.html"), "file:///tmp/my%20page%231%3F.html");
    EXPECT_EQ(FileUrl("/tmp/100%"), "file:///tmp/100%25");
    EXPECT_EQ(FileUrl("/tmp/\xC3\xA9"), "file:///tmp/%C3%A9");
}

class MakeUrlTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("pagrovix-url-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_ / "sub dir");
        std::ofstream(folder_ / "sub dir" / "page.html") << "<p>x";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
};

TEST_F(MakeUrlTest, KeepsATextWithASchemeAsItIs) {
    EXPECT_EQ(MakeUrl("https://example.org/a b", folder_), "https://example.org/a b");
    EXPECT_EQ(MakeUrl("about:blank", folder_), "about:blank");
}

TEST_F(MakeUrlTest, TurnsExistingLocalPathsIntoFileUrls) {
    const std::string expected = FileUrl((folder_ / "sub dir" / "page.html").string());
    EXPECT_EQ(MakeUrl((folder_ / "sub dir" / "page.html").string(), "/nonexistent"), expected);
    EXPECT_EQ(MakeUrl("sub dir/page.html", folder_), expected);
    EXPECT_EQ(MakeUrl("./sub dir/../sub dir/page.html", folder_), expected);
}

TEST_F(MakeUrlTest, TakesEverythingElseAsAWebAddress) {
    EXPECT_EQ(MakeUrl("example.org", folder_), "http://example.org");
    EXPECT_EQ(MakeUrl("localhost:8080/x", folder_), "http://localhost:8080/x");
    EXPECT_EQ(MakeUrl("sub dir/missing.html", folder_), "http://sub dir/missing.html");
    EXPECT_EQ(MakeUrl("", folder_), "");
}

TEST(PageCaption, IsTheTitleOrTheAddressOfAnUntitledPage) {
    EXPECT_EQ(CaptionForPage("Example Domain", "http://example.org/"), "Example Domain");
    EXPECT_EQ(CaptionForPage("", "file:///tmp/x.html"), "file:///tmp/x.html");
    EXPECT_EQ(CaptionForPage(" ", "about:blank"), " ");
}

TEST(NewInstanceAddress, MustBeAUrlSoItCannotPassForAnOption) {
    EXPECT_TRUE(IsInstanceAddress("http://example.org/?a=\"b\";rm -rf /"));
    EXPECT_TRUE(IsInstanceAddress("file:///tmp/page.html"));
    EXPECT_FALSE(IsInstanceAddress("--gtk-module=/tmp/evil.so"));
    EXPECT_FALSE(IsInstanceAddress("-display"));
    EXPECT_FALSE(IsInstanceAddress(""));
    EXPECT_FALSE(IsInstanceAddress(std::string("http://a/\0b", 11)));
}

}  // namespace
}  // namespace pagrovix
