#include "shot/CookieFile.h"

#include <gtest/gtest.h>

#include "shot/ShotOptions.h"

namespace pagrovix {
namespace {

TEST(CookieFile, ReadsWhatCurlWritesAndWritesItBack) {
    const std::string text =
        "# Netscape HTTP Cookie File\r\n"
        "\n"
        ".example.org\tTRUE\t/\tTRUE\t2000000000\tsid\ta b=c\r\n"
        "#HttpOnly_intra.example\tFALSE\t/app\tFALSE\t0\ttoken\t\n";
    const std::vector<CookieEntry> cookies = ReadCookieFile(text, "jar.txt");
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(cookies[0].domain, ".example.org");
    EXPECT_TRUE(cookies[0].includeSubdomains);
    EXPECT_TRUE(cookies[0].secure);
    EXPECT_EQ(cookies[0].expires, 2000000000);
    EXPECT_EQ(cookies[0].value, "a b=c");
    EXPECT_TRUE(cookies[1].httpOnly);
    EXPECT_EQ(cookies[1].domain, "intra.example");
    EXPECT_EQ(cookies[1].path, "/app");
    EXPECT_EQ(cookies[1].value, "");
    const std::vector<CookieEntry> again = ReadCookieFile(CookieFileText(cookies), "again");
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(CookieFileText(again), CookieFileText(cookies));

    for (const char* bad : {"a\tTRUE\t/\tTRUE\t0\tn\n", "a\tyes\t/\tTRUE\t0\tn\tv\n",
                            "a\tTRUE\t/\tTRUE\tsoon\tn\tv\n", "\tTRUE\t/\tTRUE\t0\tn\tv\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ReadCookieFile(std::string("# c\n") + bad, "j"), UsageError);
    }
}

}  // namespace
}  // namespace pagrovix
