#pragma once

#include <optional>

#include "shot/CropRect.h"

class wxWebView;

namespace pagrovix {

struct ShotOptions;

// Makes each loaded page ready for its capture as the command line asks: --hide and --style hold
// for every page the view loads, from its start; after the load come --script, --wait-for and
// --delay, and --selector and --crop give the part of the picture to write.
class PageReadying {
public:
    // Checks the selectors on the page the view shows now, and gives the view the style sheets.
    // Throws UsageError for a selector that is not valid CSS, Error when the view does not paint
    // at --scale.
    PageReadying(wxWebView* view, const ShotOptions& options);
    ~PageReadying();
    PageReadying(const PageReadying&) = delete;
    PageReadying& operator=(const PageReadying&) = delete;

    // Readies the page the view has loaded. Returns the rectangle of the picture to write, in its
    // device pixels, or nothing for the whole picture. Throws Error saying what failed.
    std::optional<CropRect> Ready();

private:
    void RunScripts();
    void WaitForExpression();
    std::optional<CropRect> PartToWrite();

    const ShotOptions& options_;
    void* engine_;  // the WebKitWebView behind view_
    int scale_ = 1;
};

}  // namespace pagrovix
