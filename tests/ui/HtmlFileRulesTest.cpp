#include "ui/HtmlFileRules.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(HtmlFileRules, OnlyLocalHtmlAndHtmFilesInAnyCaseAreHtml) {
    EXPECT_TRUE(IsLocalHtmlFileUrl("file:///doc/index.html"));
    EXPECT_TRUE(IsLocalHtmlFileUrl("FILE:///doc/INDEX.HTM"));
    EXPECT_TRUE(IsLocalHtmlFileUrl("file:///doc/a.Html#section?x"));
    EXPECT_TRUE(IsLocalHtmlFileUrl("file:///doc/a.htm?q=1.xhtml"));
    EXPECT_FALSE(IsLocalHtmlFileUrl("file:///doc/a.xhtml"));
    EXPECT_FALSE(IsLocalHtmlFileUrl("file:///doc/a.html.txt"));
    EXPECT_FALSE(IsLocalHtmlFileUrl("file:///doc/html"));
    EXPECT_FALSE(IsLocalHtmlFileUrl("http://example.org/a.html"));
    EXPECT_FALSE(IsLocalHtmlFileUrl("file"));
}

TEST(HtmlFileRules, Utf8StaysAndOtherTextIsReadAsWindows1252) {
    EXPECT_EQ(HtmlFileTextAsUtf8("plain <p>"), "plain <p>");
    EXPECT_EQ(HtmlFileTextAsUtf8("\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80"),
              "gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80");
    EXPECT_EQ(HtmlFileTextAsUtf8("gr\xFC\xDF \x80 \x93x\x94 \x81"),
              "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xC2\x81");
    // Overlong forms, surrogates and cut-off sequences are not UTF-8.
    EXPECT_EQ(HtmlFileTextAsUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(HtmlFileTextAsUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(HtmlFileTextAsUtf8("a\xE2\x82"), "a\xC3\xA2\xE2\x80\x9A");
}

}  // namespace
}  // namespace pagrovix
