#pragma once

#include <string>

namespace pagrovix {

// The numeric fields of the save-options dialog: JPEG quality 0..100, PNG level 0..9.
struct SpinRange {
    int minimum;
    int maximum;
};
inline constexpr SpinRange kJpegQualityRange{0, 100};
inline constexpr SpinRange kPngLevelRange{0, 9};
inline constexpr int kDefaultJpegQuality = 80;
inline constexpr int kDefaultPngLevel = 9;

// Keys the fields take: digits, signs, the decimal separator and control keys other than Enter.
bool SpinFieldAcceptsKey(int character, char decimalSeparator);

// The field's value: its text as a whole decimal number, or the minimum for any other text
// (empty, a lone sign, a fraction). It is not clamped; leaving the field does that.
int SpinFieldValue(const std::string& text, const SpinRange& range);

// The value a field holds once the focus has left it: a blank field first gets back the text it
// had before it was edited, then the value is brought within the range.
int SpinFieldValueOnExit(const std::string& text, const std::string& textBeforeEdit,
                         const SpinRange& range);

}  // namespace pagrovix
