#include "app/AddressHistory.h"

#include <string>

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(AddressHistory, NewAddressesEnterAtTheTop) {
    AddressHistory history;
    EXPECT_EQ(history.Visit("http://a/"), (HistoryVisit{true, false, 0}));
    EXPECT_EQ(history.Visit("http://b/"), (HistoryVisit{true, false, 0}));
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"http://b/", "http://a/"}));
}

TEST(AddressHistory, KnownAddressIsSelectedWhereItStands) {
    AddressHistory history;
    history.Visit("http://a/");
    history.Visit("http://b/");
    history.Visit("http://c/");
    EXPECT_EQ(history.Visit("http://a/"), (HistoryVisit{false, false, 2}));
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"http://c/", "http://b/", "http://a/"}));
}

TEST(AddressHistory, ComparesExactlyAndCaseSensitively) {
    AddressHistory history;
    history.Visit("http://example.org/Page");
    EXPECT_TRUE(history.Visit("http://example.org/page")->inserted);
    EXPECT_TRUE(history.Visit("http://example.org/Page/")->inserted);
    EXPECT_EQ(history.Items().size(), 3u);
}

TEST(AddressHistory, TrimsTheAddressAndIgnoresAnEmptyOne) {
    AddressHistory history;
    EXPECT_FALSE(history.Visit("").has_value());
    EXPECT_FALSE(history.Visit(" \t\r\n").has_value());
    EXPECT_TRUE(history.Items().empty());
    history.Visit("  http://a/\t");
    EXPECT_EQ(history.Visit("http://a/"), (HistoryVisit{false, false, 0}));
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"http://a/"}));
}

TEST(AddressHistory, TheTwentyFifthAddressDropsTheOldest) {
    AddressHistory history;
    for (int i = 1; i <= 24; ++i) {
        EXPECT_FALSE(history.Visit("http://site/" + std::to_string(i))->droppedLast);
    }
    EXPECT_EQ(history.Visit("http://site/25"), (HistoryVisit{true, true, 0}));
    ASSERT_EQ(history.Items().size(), 24u);
    EXPECT_EQ(history.Items().front(), "http://site/25");
    EXPECT_EQ(history.Items().back(), "http://site/2");
    // A known address in a full history changes nothing.
    EXPECT_EQ(history.Visit("http://site/2"), (HistoryVisit{false, false, 23}));
    EXPECT_EQ(history.Items().size(), 24u);
}

TEST(AddressBoxKeys, UpAndLeftStepTowardTheNewestItem) {
    for (AddressKey key : {AddressKey::Up, AddressKey::Left}) {
        EXPECT_EQ(HandleAddressKey(key, 2, 5), (AddressKeyOutcome{true, 1, false}));
        EXPECT_EQ(HandleAddressKey(key, 0, 5), (AddressKeyOutcome{false, 0, false}));
        EXPECT_EQ(HandleAddressKey(key, -1, 5), (AddressKeyOutcome{false, -1, false}));
    }
}

TEST(AddressBoxKeys, DownAndRightStepTowardTheOldestItem) {
    for (AddressKey key : {AddressKey::Down, AddressKey::Right}) {
        EXPECT_EQ(HandleAddressKey(key, 2, 5), (AddressKeyOutcome{true, 3, false}));
        EXPECT_EQ(HandleAddressKey(key, 4, 5), (AddressKeyOutcome{false, 4, false}));
        EXPECT_EQ(HandleAddressKey(key, -1, 5), (AddressKeyOutcome{true, 0, false}));
        EXPECT_EQ(HandleAddressKey(key, -1, 0), (AddressKeyOutcome{false, -1, false}));
    }
}

TEST(AddressBoxKeys, EnterOpensTheAddressAndOtherKeysPass) {
    EXPECT_EQ(HandleAddressKey(AddressKey::Enter, 3, 5), (AddressKeyOutcome{true, 3, true}));
    EXPECT_EQ(HandleAddressKey(AddressKey::Enter, -1, 0), (AddressKeyOutcome{true, -1, true}));
    EXPECT_EQ(HandleAddressKey(AddressKey::Other, 3, 5), (AddressKeyOutcome{false, 3, false}));
}

TEST(AddressBoxKeys, EmptyingTheTextRemovesTheSelection) {
    EXPECT_EQ(IndexAfterTextChange("", 3), -1);
    EXPECT_EQ(IndexAfterTextChange(" ", 3), 3);
    EXPECT_EQ(IndexAfterTextChange("http://a/", 0), 0);
}

}  // namespace
}  // namespace pagrovix
