#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shot/CropRect.h"
#include "shot/PageReadyingRules.h"

class wxWebView;

namespace pagrovix {

struct ShotOptions;
class ScriptCallInFlight;

// Makes each loaded page ready for its capture as the command line asks, in this order: --hide and
// --style, --script, --wait-for, then (the caller's) --delay; then --selector and --crop give the
// part of the picture to write. Readying never waits: the caller advances it from the loop that
// advances every view, so a page whose condition takes long holds no other page back.
class PageReadying {
public:
    // Checks the selectors on the page the view shows now. Throws UsageError for a selector that is
    // not valid CSS, Error when the view does not paint at --scale.
    PageReadying(wxWebView* view, const ShotOptions& options);
    ~PageReadying();
    PageReadying(const PageReadying&) = delete;
    PageReadying& operator=(const PageReadying&) = delete;

    // Begins readying the page the view has loaded: --hide, --style, --script, --wait-for.
    // --delay is the caller's.
    void Start();
    // Takes what the page has answered and asks it the next thing; true once the page is ready.
    // Throws Error saying what failed or took too long.
    bool Advance();
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
    using Clock = std::chrono::steady_clock;
    enum class Step { StyleSheets, Scripts, WaitFor, Ready };

    // Starts the present step's call, or moves on to the next step when it has none.
    void AskNext();
    // Takes the answer of the call in flight and moves on as it says.
    void TakeAnswer();
    [[noreturn]] void ThrowTimedOut() const;
    std::string ScriptName() const;

    const ShotOptions& options_;
    Step step_ = Step::Ready;
    std::size_t script_ = 0;  // the --script in flight or next
    std::unique_ptr<ScriptCallInFlight> call_;
    Clock::time_point callDeadline_;
    Clock::time_point waitForEnd_;
    Clock::time_point nextAsk_;  // --wait-for asks again no sooner
    std::string lastError_;      // what --wait-for last threw
    void* engine_;  // the WebKitWebView behind view_
    int scale_ = 1;
};

}  // namespace pagrovix
