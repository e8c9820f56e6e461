#include "capture/ScriptCall.h"

#include "capture/EngineWait.h"
#include "imaging/Error.h"

namespace pagrovix {

ScriptCallInFlight::ScriptCallInFlight(WebKitWebView* engine, const std::string& body,
                                       GVariant* arguments, const char* world)
    : engine_(engine) {
    webkit_web_view_call_async_javascript_function(engine, body.c_str(), gssize(body.size()),
                                                   arguments, world, nullptr, reply_.Cancellable(),
                                                   EngineReply::Callback, reply_.CallbackData());
}

ScriptAnswer ScriptCallInFlight::Take() {
    GError* rawError = nullptr;
    ScriptAnswer answer;
    answer.value.reset(
        webkit_web_view_call_async_javascript_function_finish(engine_, reply_.Result(), &rawError));
    std::unique_ptr<GError, ErrorFree> error(rawError);
    if (!answer.value) {
        answer.error = error ? error->message : "no answer";
    }
    return answer;
}

std::unique_ptr<JSCValue, ObjectUnref> ValueOf(ScriptAnswer answer) {
    if (!answer.value) {
        throw Error("The browser could not run a script on the page: " + answer.error + ".");
    }
    return std::move(answer.value);
}

std::optional<ScriptAnswer> CallAsyncFunction(WebKitWebView* engine, const std::string& body,
                                              GVariant* arguments, const char* world,
                                              std::chrono::milliseconds limit,
                                              const std::function<bool()>& stop) {
    ScriptCallInFlight call(engine, body, arguments, world);
    WaitForEngine([&] { return call.Arrived() || stop(); }, limit);
    if (!call.Arrived()) {
        return std::nullopt;
    }
    return call.Take();
}

}  // namespace pagrovix
