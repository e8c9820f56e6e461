#include "shot/PageReadyingRules.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

bool FitsInt(std::int64_t value) {
    return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

CropRect MakeRect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    if (!FitsInt(x0) || !FitsInt(y0) || !FitsInt(x1) || !FitsInt(y1) || !FitsInt(x1 - x0) ||
        !FitsInt(y1 - y0)) {
        throw Error("The part of the page to write is larger than a picture can be.");
    }
    return {int(x0), int(y0), int(x1), int(y1)};
}

}  // namespace

std::string JsStringLiteral(std::string_view text) {
    std::string literal = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x",
                          unsigned(static_cast<unsigned char>(c)));
            literal += escape;
        } else if (text.compare(i, 3, "\xE2\x80\xA8") == 0 ||
                   text.compare(i, 3, "\xE2\x80\xA9") == 0) {
            // Line and paragraph separators end a line in older engines' string literals.
            literal += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}

std::string HidingStyleSheet(const std::vector<std::string>& selectors) {
    std::string sheet;
    for (const std::string& selector : selectors) {
        sheet += selector + " { visibility: hidden !important; }\n";
    }
    return sheet;
}

std::string SelectorCheckBody(const std::string& selector) {
    // A valid selector could still end in an open comment or string that swallows the rest of the
    // rule, so the rule itself must come out of a style sheet whole.
    return "const selector = " + JsStringLiteral(selector) +
           ";\n"
           "try { document.querySelector(selector); } catch (error) { return "
           "String(error.message); "
           "}\n"
           "const sheet = new CSSStyleSheet();\n"
           "sheet.replaceSync(" +
           JsStringLiteral(HidingStyleSheet({selector})) +
           ");\n"
           "return sheet.cssRules.length === 1 ? '' : 'a style sheet does not take it as one "
           "rule';\n";
}

std::string AddStyleSheetsBody(const std::vector<std::string>& sheets) {
    // Each sheet on its own, so that a mistake in one cannot swallow the next.
    std::string body = "const added = [];\n";
    for (const std::string& sheet : sheets) {
        body += "added.push(new CSSStyleSheet());\nadded[added.length - 1].replaceSync(" +
                JsStringLiteral(sheet) + ");\n";
    }
    return body + "document.adoptedStyleSheets = [...document.adoptedStyleSheets, ...added];\n";
}

std::string ElementBoxBody(const std::string& selector) {
    return "const element = document.querySelector(" + JsStringLiteral(selector) +
           ");\n"
           "if (!element) return null;\n"
           "const box = element.getBoundingClientRect();\n"
           "return [box.left + scrollX, box.top + scrollY, box.right + scrollX, "
           "box.bottom + scrollY];\n";
}

std::string MaskBoxesBody(const std::vector<std::string>& selectors) {
    std::string list;
    for (const std::string& selector : selectors) {
        list += (list.empty() ? "" : ", ") + JsStringLiteral(selector);
    }
    return "const boxes = [];\n"
           "for (const selector of [" +
           list +
           "]) {\n"
           "  const elements = document.querySelectorAll(selector);\n"
           "  boxes.push(elements.length);\n"
           "  for (const element of elements) {\n"
           "    const box = element.getBoundingClientRect();\n"
           "    boxes.push(box.left + scrollX, box.top + scrollY, box.right + scrollX,\n"
           "               box.bottom + scrollY);\n"
           "  }\n"
           "}\n"
           "return boxes;\n";
}

std::string WaitForBody(const std::string& expression) {
    // On lines of their own, so that a comment at the end of the expression ends with it.
    return "return !!(await (\n" + expression + "\n));";
}

std::optional<CropRect> PictureRect(const std::optional<ElementBox>& box,
                                    const std::optional<CropRect>& crop, int scale) {
    std::int64_t left = 0;
    std::int64_t top = 0;
    if (box) {
        const bool finite = std::isfinite(box->left) && std::isfinite(box->top) &&
                            std::isfinite(box->right) && std::isfinite(box->bottom);
        if (!finite || !(box->right > box->left) || !(box->bottom > box->top)) {
            throw Error(
                "The element that --selector matches has no size: it is hidden or "
                "empty.");
        }
        // Out to whole device pixels, so that no part of the element is cut off.
        const auto device = [scale](double value, bool up) {
            const double scaled = up ? std::ceil(value * scale) : std::floor(value * scale);
            // Far outside any picture, yet still a number MakeRect can refuse.
            return std::int64_t(std::clamp(scaled, -1e15, 1e15));
        };
        left = device(box->left, false);
        top = device(box->top, false);
        if (!crop) {
            return MakeRect(left, top, device(box->right, true), device(box->bottom, true));
        }
    } else if (!crop) {
        return std::nullopt;
    }
    return MakeRect(left + std::int64_t(crop->x0) * scale, top + std::int64_t(crop->y0) * scale,
                    left + std::int64_t(crop->x1) * scale, top + std::int64_t(crop->y1) * scale);
}

}  // namespace pagrovix
