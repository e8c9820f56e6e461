#include "snapshot/CornerInput.h"

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

TEST(WholeNumber, ReadsSignedThirtyTwoBitDecimalsOnly) {
    EXPECT_EQ(ParseWholeNumber("0"), 0);
    EXPECT_EQ(ParseWholeNumber("640"), 640);
    EXPECT_EQ(ParseWholeNumber("  42"), 42);
    EXPECT_EQ(ParseWholeNumber("+7"), 7);
    EXPECT_EQ(ParseWholeNumber("-12"), -12);
    EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(ParseWholeNumber("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(ParseWholeNumber("000000000000000000012"), 12);
    EXPECT_EQ(ParseWholeNumber("2147483648"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("99999999999"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber(""), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("-"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("8.5"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("12 "), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("1e3"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("abc"), std::nullopt);
}

TEST(TypedCornerText, BlankTextGetsThePreviousTextBack) {
    EXPECT_EQ(TextToApply("", "640"), "640");
    EXPECT_EQ(TextToApply("  \t", "640"), "640");
    EXPECT_EQ(TextToApply("12", "640"), "12");
    EXPECT_EQ(TextToApply("abc", "640"), "abc");
    EXPECT_EQ(TrimBlanks("  12 \t"), "12");
}

TEST(TypedCornerText, AppliesTheValueToItsCorner) {
    Selection selection(1280, 900);
    ApplyTypedCorner(selection, 3, "99999");
    EXPECT_EQ(CornerText(selection, 3), "1280");
    ApplyTypedCorner(selection, 3, "5");
    EXPECT_EQ(CornerText(selection, 3), "12");
    ApplyTypedCorner(selection, 4, "500");
    ApplyTypedCorner(selection, 2, "600");
    EXPECT_EQ(CornerText(selection, 2), "488");
    EXPECT_EQ(CornerText(selection, 4), "500");
    ApplyTypedCorner(selection, 1, "0");
    EXPECT_EQ(CornerText(selection, 1), "0");
}

TEST(TypedCornerText, TextThatIsNoNumberLeavesTheSelectionAndSaysSo) {
    Selection selection(1280, 900);
    ApplyTypedCorner(selection, 3, "700");
    try {
        ApplyTypedCorner(selection, 3, "99999999999");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'99999999999' is not a valid integer value");
    }
    EXPECT_THROW(ApplyTypedCorner(selection, 1, ""), Error);
    EXPECT_EQ(selection.Rect().x0, 0);
    EXPECT_EQ(selection.Rect().x1, 700);
    EXPECT_EQ(NotAnIntegerMessage(""), "'' is not a valid integer value");
}

}  // namespace
}  // namespace pagrovix
