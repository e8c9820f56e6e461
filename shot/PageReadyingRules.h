#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shot/CropRect.h"

// What makes a page ready for its capture, without the engine: the scripts and style sheets the
// command gives the page, and the part of the picture it then writes.
namespace pagrovix {

// A JavaScript string literal of text, whatever text holds.
std::string JsStringLiteral(std::string_view text);

// One style sheet that hides every element matching one of selectors. visibility keeps their
// place, so nothing else moves.
std::string HidingStyleSheet(const std::vector<std::string>& selectors);

// Body of an async function, run in the program's own world: returns "" when selector is a valid
// CSS selector that a style sheet takes as one rule, else why not.
std::string SelectorCheckBody(const std::string& selector);

// Body of an async function, run in the program's own world: adds each of sheets to the document
// after its own style sheets, as a style element at its end would be, so that they win over the
// page's rules of the same weight.
std::string AddStyleSheetsBody(const std::vector<std::string>& sheets);

// Body of an async function, run in the program's own world: returns the document box of the
// first element matching selector as [left, top, right, bottom] in CSS pixels, or null.
std::string ElementBoxBody(const std::string& selector);

// Body of an async function, run in the program's own world: for each of selectors in turn, the
// number of elements that match it, then the document box of each, [left, top, right, bottom] in
// CSS pixels, all in one flat array of numbers.
std::string MaskBoxesBody(const std::vector<std::string>& selectors);

// Body of an async function, run in the page's own world: whether expression, awaited when it is
// a promise, is truthy now.
std::string WaitForBody(const std::string& expression);

// An element's box in the document, in CSS pixels.
struct ElementBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The rectangle of a picture painted at scale device pixels per CSS pixel that the command
// writes: the element's box (out to whole device pixels) when there is one, the crop rectangle
// (CSS pixels, counted from the element's top-left corner when there is one) when given,
// nothing for the whole picture. Throws Error when the box has no size or the rectangle is
// larger than a picture can be.
std::optional<CropRect> PictureRect(const std::optional<ElementBox>& box,
                                    const std::optional<CropRect>& crop, int scale);

}  // namespace pagrovix
