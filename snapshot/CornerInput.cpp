#include "snapshot/CornerInput.h"

#include <cstdint>
#include <limits>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view digits = text.substr(i);
    if (digits.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > std::int64_t(std::numeric_limits<int>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) {
        return std::nullopt;
    }
    return int(value);
}

std::string TrimBlanks(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string NotAnIntegerMessage(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

std::string TextToApply(const std::string& fieldText, const std::string& textBeforeEdit) {
    return TrimBlanks(fieldText).empty() ? textBeforeEdit : fieldText;
}

void ApplyTypedCorner(Selection& selection, int corner, const std::string& text) {
    const std::optional<int> value = ParseWholeNumber(text);
    if (!value) {
        throw Error(NotAnIntegerMessage(text));
    }
    selection.SetCorner(corner, *value);
}

std::string CornerText(const Selection& selection, int corner) {
    return std::to_string(selection.Corner(corner));
}

}  // namespace pagrovix
