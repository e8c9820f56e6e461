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
#include "shot/PageLoader.h"
#include "shot/PageReadyingRules.h"
#include "shot/ShotOptions.h"
#include "shot/StopRequest.h"

namespace pagrovix {
namespace {

// How long the program's own small scripts may take.
constexpr auto kOwnScriptLimit = std::chrono::seconds(10);
// How often --wait-for asks the page again.
constexpr auto kWaitForInterval = std::chrono::milliseconds(100);

using Clock = std::chrono::steady_clock;

// Runs body as the body of an async function in world (nullptr for the page's own); a stop
// request ends the wait.
std::optional<ScriptAnswer> CallFunction(WebKitWebView* engine, const std::string& body,
                                         const char* world, Clock::duration limit) {
    auto answer =
        CallAsyncFunction(engine, body, nullptr, world,
                          std::chrono::duration_cast<std::chrono::milliseconds>(limit),
                          StopRequested);
    if (StopRequested()) {
        throw Error("Not captured: the command was asked to stop.");
    }
    return answer;
}

// The program's own scripts, in its own world: an answer, or an Error.
std::unique_ptr<JSCValue, ObjectUnref> OwnScript(WebKitWebView* engine, const std::string& body) {
    auto result = CallFunction(engine, body, kScriptWorld, kOwnScriptLimit);
    if (!result) {
        throw Error("The page did not answer within " + SecondsText(kOwnScriptLimit) + ".");
    }
    if (!result->value) {
        throw Error("The browser could not run a script on the page: " + result->error + ".");
    }
    return std::move(result->value);
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

void PageReadying::Prepare() {
    AddStyleSheets();
    RunScripts();
    WaitForExpression();
}

void PageReadying::AddStyleSheets() {
    const PageReadiness& readiness = options_.readiness;
    std::vector<std::string> sheets = readiness.styles;
    if (!readiness.hide.empty()) {
        sheets.push_back(HidingStyleSheet(readiness.hide));
    }
    if (!sheets.empty()) {
        OwnScript(WEBKIT_WEB_VIEW(engine_), AddStyleSheetsBody(sheets));
    }
}

void PageReadying::RunScripts() {
    const auto& scripts = options_.readiness.scripts;
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        const std::string name = scripts.size() == 1 ? std::string("The --script")
                                                     : "The --script " + std::to_string(i + 1) +
                                                           " of " + std::to_string(scripts.size());
        const auto result = CallFunction(WEBKIT_WEB_VIEW(engine_), scripts[i], nullptr,
                                         std::chrono::seconds(options_.timeoutSeconds));
        if (!result) {
            throw Error(name + " did not finish within " +
                        SecondsText(std::chrono::seconds(options_.timeoutSeconds)) + ".");
        }
        if (!result->value) {
            throw Error(name + " failed: " + result->error);
        }
    }
}

void PageReadying::WaitForExpression() {
    const std::string& expression = options_.readiness.waitFor;
    if (expression.empty()) {
        return;
    }
    const std::string body = WaitForBody(expression);
    const auto end = Clock::now() + std::chrono::seconds(options_.timeoutSeconds);
    std::string lastError;
    for (;;) {
        const auto result =
            CallFunction(WEBKIT_WEB_VIEW(engine_), body, nullptr, std::max(end - Clock::now(), {}));
        if (result && result->value && jsc_value_to_boolean(result->value.get())) {
            return;
        }
        if (result && !result->value) {
            // An expression that cannot run at all will not become true by waiting; one that
            // throws may, once the page has set up what it reads.
            if (result->error.rfind("SyntaxError", 0) == 0) {
                throw Error("The --wait-for expression cannot run: " + result->error);
            }
            lastError = result->error;
        }
        if (Clock::now() >= end) {
            throw Error("The --wait-for expression " + Quoted(expression) +
                        " was not true within " +
                        SecondsText(std::chrono::seconds(options_.timeoutSeconds)) +
                        (lastError.empty() ? "." : "; last it failed: " + lastError));
        }
        PageLoader::ProcessEventsFor(kWaitForInterval);
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
