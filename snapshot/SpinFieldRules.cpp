#include "snapshot/SpinFieldRules.h"

#include <algorithm>
#include <optional>

#include "snapshot/CornerInput.h"

namespace pagrovix {

bool SpinFieldAcceptsKey(int character, char decimalSeparator) {
    if (character == '\r') {
        return false;
    }
    return (character >= '0' && character <= '9') || character == '+' || character == '-' ||
           character == decimalSeparator || (character >= 0 && character < ' ') || character == 127;
}

int SpinFieldValue(const std::string& text, const SpinRange& range) {
    return ParseWholeNumber(text).value_or(range.minimum);
}

int SpinFieldValueOnExit(const std::string& text, const std::string& textBeforeEdit,
                         const SpinRange& range) {
    const int value = SpinFieldValue(TextToApply(text, textBeforeEdit), range);
    return std::clamp(value, range.minimum, range.maximum);
}

}  // namespace pagrovix
