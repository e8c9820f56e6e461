#include "capture/ScriptCall.h"

#include "capture/EngineWait.h"

namespace pagrovix {

std::optional<ScriptAnswer> CallAsyncFunction(WebKitWebView* engine, const std::string& body,
                                              GVariant* arguments, const char* world,
                                              std::chrono::milliseconds limit,
                                              const std::function<bool()>& stop) {
    EngineReply reply;
    webkit_web_view_call_async_javascript_function(engine, body.c_str(), gssize(body.size()),
                                                   arguments, world, nullptr, reply.Cancellable(),
                                                   EngineReply::Callback, reply.CallbackData());
    WaitForEngine([&] { return reply.Arrived() || stop(); }, limit);
    if (!reply.Arrived()) {
        return std::nullopt;
    }
    GError* rawError = nullptr;
    ScriptAnswer answer;
    answer.value.reset(
        webkit_web_view_call_async_javascript_function_finish(engine, reply.Result(), &rawError));
    std::unique_ptr<GError, ErrorFree> error(rawError);
    if (!answer.value) {
        answer.error = error ? error->message : "no answer";
    }
    return answer;
}

}  // namespace pagrovix
