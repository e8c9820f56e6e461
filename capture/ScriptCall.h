#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <webkit2/webkit2.h>

#include "capture/EngineReply.h"

namespace pagrovix {

// What an async function run in a page gave: its value, or the engine's reason it gave none (the
// message of what the function threw, for one).
struct ScriptAnswer {
    std::unique_ptr<JSCValue, ObjectUnref> value;
    std::string error;
};

// An async function run in a page whose answer is taken when it has come, so that the caller can
// go on with other pages meanwhile. Dropping it before then cancels the call.
class ScriptCallInFlight {
public:
    // Starts body as the body of an async function with arguments (may be nullptr) in world
    // (nullptr for the page's own).
    ScriptCallInFlight(WebKitWebView* engine, const std::string& body, GVariant* arguments,
                       const char* world);

    bool Arrived() const { return reply_.Arrived(); }
    // The answer, awaited when it was a promise; only once Arrived().
    ScriptAnswer Take();

private:
    WebKitWebView* engine_;
    EngineReply reply_;
};

// The value of an answer; throws Error with the engine's reason when the function gave none.
std::unique_ptr<JSCValue, ObjectUnref> ValueOf(ScriptAnswer answer);

// Runs body as the body of an async function with arguments (may be nullptr) in world (nullptr
// for the page's own) and waits for its answer, awaited when it is a promise. Nothing when limit
// passed, or stop() held, before the answer came.
std::optional<ScriptAnswer> CallAsyncFunction(WebKitWebView* engine, const std::string& body,
                                              GVariant* arguments, const char* world,
                                              std::chrono::milliseconds limit,
                                              const std::function<bool()>& stop);

}  // namespace pagrovix
