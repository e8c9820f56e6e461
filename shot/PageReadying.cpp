#include "shot/PageReadying.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "capture/EngineWait.h"
#include "capture/PageScripts.h"
#include "capture/ScriptCall.h"
#include "imaging/Error.h"
#include "shot/PageReadyingRules.h"
#include "shot/ShotOptions.h"
#include "shot/StopRequest.h"

namespace pagrovix {
namespace {

// How long the program's own small scripts may take.
constexpr auto kOwnScriptLimit = std::chrono::seconds(10);
// How often --wait-for asks the page again.
constexpr auto kWaitForInterval = std::chrono::milliseconds(100);

// The program's own scripts, in its own world: an answer, or an Error; a stop request ends the
// wait.
std::unique_ptr<JSCValue, ObjectUnref> OwnScript(WebKitWebView* engine, const std::string& body) {
    auto result =
        CallAsyncFunction(engine, body, nullptr, kScriptWorld, kOwnScriptLimit, StopRequested);
    if (StopRequested()) {
        throw Error("Not captured: the command was asked to stop.");
    }
    if (!result) {
        throw TransientError("The page did not answer within " + SecondsText(kOwnScriptLimit) +
                             ".");
    }
    return ValueOf(std::move(*result));
}

std::string Quoted(const std::string& text) {
    // Long scripts are named by their start.
    constexpr std::size_t kShown = 60;
    return "\"" + (text.size() > kShown ? text.substr(0, kShown) + "..." : text) + "\"";
}

}  // namespace

PageReadying::PageReadying(wxWebView* view, const ShotOptions& options)
    : options_(options), engine_(view->GetNativeBackend()) {
    auto* engine = WEBKIT_WEB_VIEW(engine_);
    scale_ = gtk_widget_get_scale_factor(GTK_WIDGET(engine));
    if (scale_ != options_.scale) {
        throw Error("The display paints " + std::to_string(scale_) +
                    " device pixels per CSS pixel instead of the " +
                    std::to_string(options_.scale) + " that --scale asks for.");
    }
    const PageReadiness& readiness = options_.readiness;
    const auto check = [engine](const char* option, const std::string& selector) {
        const auto answer = OwnScript(engine, SelectorCheckBody(selector));
        std::unique_ptr<char, decltype(&g_free)> why(jsc_value_to_string(answer.get()), g_free);
        if (why && *why) {
            throw UsageError(std::string(option) + " " + Quoted(selector) +
                             " is not a valid CSS selector: " + why.get());
        }
    };
    for (const std::string& selector : readiness.hide) {
        check("--hide", selector);
    }
    if (!readiness.selector.empty()) {
        check("--selector", readiness.selector);
    }
    for (const std::string& selector : readiness.masks) {
        check("--mask", selector);
    }
}

PageReadying::~PageReadying() = default;

void PageReadying::Start() {
    step_ = Step::StyleSheets;
    script_ = 0;
    call_.reset();
    lastError_.clear();
    nextAsk_ = {};
}

bool PageReadying::Advance() {
    for (;;) {
        if (call_) {
            if (!call_->Arrived()) {
                if (Clock::now() < callDeadline_) {
                    return false;
                }
                ThrowTimedOut();
            }
            TakeAnswer();
        }
        if (step_ == Step::Ready) {
            return true;
        }
        if (Clock::now() < nextAsk_) {
            return false;
        }
        AskNext();
    }
}

void PageReadying::AskNext() {
    auto* engine = WEBKIT_WEB_VIEW(engine_);
    const PageReadiness& readiness = options_.readiness;
    const auto timeout = std::chrono::seconds(options_.timeoutSeconds);
    switch (step_) {
        case Step::StyleSheets: {
            std::vector<std::string> sheets = readiness.styles;
            if (!readiness.hide.empty()) {
                sheets.push_back(HidingStyleSheet(readiness.hide));
            }
            if (sheets.empty()) {
                step_ = Step::Scripts;
                return;
            }
            call_ = std::make_unique<ScriptCallInFlight>(engine, AddStyleSheetsBody(sheets),
                                                         nullptr, kScriptWorld);
            callDeadline_ = Clock::now() + kOwnScriptLimit;
            return;
        }
        case Step::Scripts:
            if (script_ == readiness.scripts.size()) {
                step_ = Step::WaitFor;
                waitForEnd_ = Clock::now() + timeout;
                return;
            }
            call_ = std::make_unique<ScriptCallInFlight>(engine, readiness.scripts[script_],
                                                         nullptr, nullptr);
            callDeadline_ = Clock::now() + timeout;
            return;
        case Step::WaitFor:
            if (readiness.waitFor.empty()) {
                step_ = Step::Ready;
                return;
            }
            call_ = std::make_unique<ScriptCallInFlight>(engine, WaitForBody(readiness.waitFor),
                                                         nullptr, nullptr);
            callDeadline_ = waitForEnd_;
            return;
        case Step::Ready:
            return;
    }
}

void PageReadying::TakeAnswer() {
    ScriptAnswer answer = call_->Take();
    call_.reset();
    switch (step_) {
        case Step::StyleSheets:
            ValueOf(std::move(answer));
            step_ = Step::Scripts;
            return;
        case Step::Scripts:
            if (!answer.value) {
                throw Error(ScriptName() + " failed: " + answer.error);
            }
            ++script_;
            return;
        case Step::WaitFor:
            if (answer.value && jsc_value_to_boolean(answer.value.get())) {
                step_ = Step::Ready;
                return;
            }
            if (!answer.value) {
                // An expression that cannot run at all will not become true by waiting; one that
                // throws may, once the page has set up what it reads.
                if (answer.error.rfind("SyntaxError", 0) == 0) {
                    throw Error("The --wait-for expression cannot run: " + answer.error);
                }
                lastError_ = answer.error;
            }
            if (Clock::now() >= waitForEnd_) {
                ThrowTimedOut();
            }
            nextAsk_ = Clock::now() + kWaitForInterval;
            return;
        case Step::Ready:
            return;
    }
}

std::string PageReadying::ScriptName() const {
    const std::size_t count = options_.readiness.scripts.size();
    return count == 1
               ? std::string("The --script")
               : "The --script " + std::to_string(script_ + 1) + " of " + std::to_string(count);
}

void PageReadying::ThrowTimedOut() const {
    const std::string limit = SecondsText(std::chrono::seconds(options_.timeoutSeconds));
    switch (step_) {
        case Step::StyleSheets:
            throw TransientError("The page did not answer within " + SecondsText(kOwnScriptLimit) +
                                 ".");
        case Step::Scripts:
            throw TransientError(ScriptName() + " did not finish within " + limit + ".");
        default:
            throw TransientError("The --wait-for expression " + Quoted(options_.readiness.waitFor) +
                                 " was not true within " + limit +
                                 (lastError_.empty() ? "." : "; last it failed: " + lastError_));
    }
}

PageReadying::Masks PageReadying::MaskBoxes() {
    const std::vector<std::string>& selectors = options_.readiness.masks;
    Masks masks;
    if (selectors.empty()) {
        return masks;
    }
    const auto answer = OwnScript(WEBKIT_WEB_VIEW(engine_), MaskBoxesBody(selectors));
    guint next = 0;
    const auto number = [&answer, &next] {
        std::unique_ptr<JSCValue, ObjectUnref> value(
            jsc_value_object_get_property_at_index(answer.get(), next++));
        if (!value || !jsc_value_is_number(value.get())) {
            throw Error("The elements that --mask matches could not be measured.");
        }
        return jsc_value_to_double(value.get());
    };
    for (const std::string& selector : selectors) {
        const int count = int(number());
        if (count == 0) {
            masks.unmatched.push_back(selector);
        }
        for (int i = 0; i < count; ++i) {
            ElementBox box;
            box.left = number();
            box.top = number();
            box.right = number();
            box.bottom = number();
            masks.boxes.push_back(box);
        }
    }
    return masks;
}

std::optional<CropRect> PageReadying::PartToWrite() {
    const std::string& selector = options_.readiness.selector;
    if (selector.empty()) {
        return PictureRect(std::nullopt, options_.crop, scale_);
    }
    const auto answer = OwnScript(WEBKIT_WEB_VIEW(engine_), ElementBoxBody(selector));
    if (jsc_value_is_null(answer.get()) || jsc_value_is_undefined(answer.get())) {
        throw Error("--selector " + Quoted(selector) + " matches no element on this page.");
    }
    double sides[4] = {};
    for (guint i = 0; i < 4; ++i) {
        std::unique_ptr<JSCValue, ObjectUnref> side(
            jsc_value_object_get_property_at_index(answer.get(), i));
        if (!side || !jsc_value_is_number(side.get())) {
            throw Error("The element that --selector matches could not be measured.");
        }
        sides[i] = jsc_value_to_double(side.get());
    }
    return PictureRect(ElementBox{sides[0], sides[1], sides[2], sides[3]}, options_.crop, scale_);
}

}  // namespace pagrovix
