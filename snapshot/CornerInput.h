#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "snapshot/Selection.h"

namespace pagrovix {

// The rules of the four corner fields of the Snapshot window (1 = x0, 2 = y0, 3 = x1, 4 = y1).

// A field's text as a whole number: leading blanks, an optional sign and decimal digits within
// the signed 32-bit range; anything else is no number.
std::optional<int> ParseWholeNumber(std::string_view text);

// The text without the blanks (and other control characters) at either end.
std::string TrimBlanks(std::string_view text);

// "'<text>' is not a valid integer value".
std::string NotAnIntegerMessage(const std::string& text);

// What Enter works on: a field left blank gets back the text it had before it was edited.
std::string TextToApply(const std::string& fieldText, const std::string& textBeforeEdit);

// Moves the corner's handle to the typed value and clamps it like a dragged handle. Throws Error
// with NotAnIntegerMessage when the text is no whole number; the selection is then unchanged.
void ApplyTypedCorner(Selection& selection, int corner, const std::string& text);

// The text a corner field shows for the selection.
std::string CornerText(const Selection& selection, int corner);

}  // namespace pagrovix
