#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shot/CropRect.h"
#include "shot/PageReadyingRules.h"

class wxWebView;

namespace pagrovix {

struct ShotOptions;

// Makes each loaded page ready for its capture as the command line asks, in this order: --hide and
// --style, --script, --wait-for, then (the caller's) --delay; then --selector and --crop give the
// part of the picture to write.
class PageReadying {
public:
    // Checks the selectors on the page the view shows now. Throws UsageError for a selector that is
    // not valid CSS, Error when the view does not paint at --scale.
    PageReadying(wxWebView* view, const ShotOptions& options);
    PageReadying(const PageReadying&) = delete;
    PageReadying& operator=(const PageReadying&) = delete;

    // Readies the page the view has loaded: --hide, --style, --script, --wait-for. Throws Error
    // saying what failed. --delay is the caller's, as it may let other pages go on meanwhile.
    void Prepare();
    // The rectangle of the picture to write, in its device pixels, or nothing for the whole
    // picture; measured once the page is ready, just before its capture.
    std::optional<CropRect> PartToWrite();

    // The boxes of the elements --mask matches, in document CSS pixels, and the selectors that
    // matched none; measured like PartToWrite.
    struct Masks {
        std::vector<ElementBox> boxes;
        std::vector<std::string> unmatched;
    };
    Masks MaskBoxes();

private:
    void AddStyleSheets();
    void RunScripts();
    void WaitForExpression();

    const ShotOptions& options_;
    void* engine_;  // the WebKitWebView behind view_
    int scale_ = 1;
};

}  // namespace pagrovix
