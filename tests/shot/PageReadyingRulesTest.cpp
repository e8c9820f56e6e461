#include "shot/PageReadyingRules.h"

#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

TEST(PageReadyingRules, TextBecomesAStringLiteralThatHoldsItExactly) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", R"("")"},
        {"#a > b[title='x']", R"("#a > b[title='x']")"},
        {R"(a"b\c)", R"("a\"b\\c")"},
        {"line\nnext\r\t\x01", R"("line\u000anext\u000d\u0009\u0001")"},
        {"</script>", R"("</script>")"},
        {"\xE2\x80\xA8|\xE2\x80\xA9|\xC3\xA9", "\"\\u2028|\\u2029|\xC3\xA9\""},
    };
    for (const auto& [text, literal] : cases) {
        EXPECT_EQ(JsStringLiteral(text), literal) << text;
    }
    // A selector that tries to end the string and run code stays inside the literal.
    EXPECT_NE(SelectorCheckBody("\"); evil(); (\"").find(R"("\"); evil(); (\"")"),
              std::string::npos);
}

TEST(PageReadyingRules, HiddenElementsKeepTheirPlace) {
    EXPECT_EQ(HidingStyleSheet({"#cookies", ".chat, aside"}),
              "#cookies { visibility: hidden !important; }\n"
              ".chat, aside { visibility: hidden !important; }\n");
}

TEST(PageReadyingRules, ThePartToWriteComesFromTheElementAndTheCropInDevicePixels) {
    struct Case {
        std::optional<ElementBox> box;
        std::optional<CropRect> crop;
        int scale;
        std::optional<CropRect> part;
    };
    const std::vector<Case> cases{
        {std::nullopt, std::nullopt, 2, std::nullopt},
        {std::nullopt, CropRect{-1, 2, 30, 40}, 1, CropRect{-1, 2, 30, 40}},
        {std::nullopt, CropRect{-1, 2, 30, 40}, 3, CropRect{-3, 6, 90, 120}},
        {ElementBox{10, 20, 90, 50}, std::nullopt, 1, CropRect{10, 20, 90, 50}},
        // Fractional sides go out to whole device pixels.
        {ElementBox{10.25, 20.5, 89.5, 50.2}, std::nullopt, 1, CropRect{10, 20, 90, 51}},
        {ElementBox{10.25, 20.5, 89.5, 50.2}, std::nullopt, 2, CropRect{20, 41, 179, 101}},
        // The crop counts from the element's top-left corner and may reach beyond it.
        {ElementBox{10, 20, 90, 50}, CropRect{-10, -5, 20, 10}, 1, CropRect{0, 15, 30, 30}},
        {ElementBox{10, 20, 90, 50}, CropRect{-10, -5, 20, 10}, 2, CropRect{0, 30, 60, 60}},
    };
    for (const Case& c : cases) {
        const auto part = PictureRect(c.box, c.crop, c.scale);
        ASSERT_EQ(part.has_value(), c.part.has_value());
        if (part) {
            EXPECT_EQ(std::tuple(part->x0, part->y0, part->x1, part->y1),
                      std::tuple(c.part->x0, c.part->y0, c.part->x1, c.part->y1));
        }
    }

    for (const ElementBox& empty : {ElementBox{5, 5, 5, 20}, ElementBox{5, 5, 20, 4},
                                    ElementBox{0, 0, std::numeric_limits<double>::infinity(), 1}}) {
        EXPECT_THROW(PictureRect(empty, std::nullopt, 1), Error);
    }
    EXPECT_THROW(PictureRect(ElementBox{0, 0, 2e9, 10}, std::nullopt, 2), Error);
    EXPECT_THROW(PictureRect(std::nullopt, CropRect{-2000000000, 0, 2000000000, 1}, 1), Error);
    EXPECT_THROW(PictureRect(std::nullopt, CropRect{0, 0, 1000000000, 1}, 4), Error);
}

}  // namespace
}  // namespace pagrovix
