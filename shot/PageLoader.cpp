#include "shot/PageLoader.h"

#include <string_view>
#include <utility>

#include <webkit2/webkit2.h>
#include <wx/app.h>
#include <wx/webview.h>

#include "capture/EngineWait.h"
#include "shot/NetworkRules.h"
#include "shot/StopRequest.h"

namespace pagrovix {
namespace {

void LoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer loader) {
    static_cast<PageLoader*>(loader)->OnLoadChanged(int(event));
}

gboolean LoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer loader) {
    const bool cancelled =
        g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED);
    // What the address itself rules out (a missing file, an unknown scheme, the engine's
    // policy) fails again on every try; the network's errors may pass.
    const bool lasting =
        !error || error->domain == WEBKIT_POLICY_ERROR || error->domain == WEBKIT_PLUGIN_ERROR ||
        g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST) ||
        g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_UNKNOWN_PROTOCOL);
    std::string reason = error ? error->message : "unknown error";
    // The engine's own words for an address that gives a file to download say nothing of it.
    if (g_error_matches(error, WEBKIT_POLICY_ERROR,
                        WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
        reason = "the address gives a file to download, not a page";
    }
    static_cast<PageLoader*>(loader)->OnLoadFailed(reason, cancelled, !lasting);
    // Handled: the engine's own error page would only be one more load to wait for.
    return TRUE;
}

gboolean LoadFailedWithTlsErrors(WebKitWebView*, gchar*, GTlsCertificate*,
                                 GTlsCertificateFlags errors, gpointer loader) {
    static_cast<PageLoader*>(loader)->OnLoadFailed(
        "the server's certificate was refused: " + CertificateProblems(errors), false, false);
    // Handled: the engine's own error follows otherwise, without the reason.
    return TRUE;
}

void ProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer loader) {
    static_cast<PageLoader*>(loader)->OnProcessEnded(reason !=
                                                     WEBKIT_WEB_PROCESS_TERMINATED_BY_API);
}

// How long a stopped load may take to end.
constexpr auto kSettleLimit = std::chrono::seconds(5);

// Runs the main loop until condition holds, the time is up or the command is asked to stop.
template <typename Condition>
bool RunEventsUntil(Condition condition, std::chrono::milliseconds limit) {
    bool held = false;
    WaitForEngine(
        [&] {
            // wx's own queued events, which the wait leaves to its caller; nobody else runs them
            // while the command's loop is busy.
            if (wxTheApp) {
                wxTheApp->ProcessPendingEvents();
            }
            return (held = condition()) || StopRequested();
        },
        limit);
    return held;
}

}  // namespace

PageLoader::PageLoader(wxWebView* view) : view_(view), webView_(view->GetNativeBackend()) {
    g_signal_connect(webView_, "load-changed", G_CALLBACK(LoadChanged), this);
    g_signal_connect(webView_, "load-failed", G_CALLBACK(LoadFailed), this);
    g_signal_connect(webView_, "load-failed-with-tls-errors", G_CALLBACK(LoadFailedWithTlsErrors),
                     this);
    g_signal_connect(webView_, "web-process-terminated", G_CALLBACK(ProcessTerminated), this);
}

PageLoader::~PageLoader() {
    g_signal_handlers_disconnect_by_data(webView_, this);
}

void PageLoader::Start(const std::string& url, std::chrono::milliseconds limit) {
    // Whatever the view still loads would report its end after this load has started.
    auto* engine = WEBKIT_WEB_VIEW(webView_);
    if (webkit_web_view_is_loading(engine)) {
        webkit_web_view_stop_loading(engine);
        RunEventsUntil([engine] { return !webkit_web_view_is_loading(engine); }, kSettleLimit);
    }
    // An address that differs from the page shown only after '#' is a jump within that page:
    // the engine reports no load for it. A blank page in between makes it a load of its own.
    const char* shown = webkit_web_view_get_uri(engine);
    const auto document = [](std::string_view address) {
        return address.substr(0, address.find('#'));
    };
    if (shown && url != shown && document(url) == document(shown)) {
        requested_ = "about:blank";
        started_ = finished_ = failed_ = processEnded_ = false;
        view_->LoadURL("about:blank");
        RunEventsUntil([this] { return finished_ || failed_ || processEnded_; }, kSettleLimit);
    }
    requested_ = url;
    limit_ = limit;
    deadline_ = std::chrono::steady_clock::now() + limit;
    started_ = false;
    committed_ = false;
    finished_ = false;
    failed_ = false;
    processEnded_ = false;
    elsewhere_ = false;
    reason_.clear();
    httpStatus_ = 0;
    mayPass_ = false;
    view_->LoadURL(wxString::FromUTF8(url));
}

std::optional<PageLoader::Result> PageLoader::Poll() const {
    const auto result = [this](Outcome outcome, std::string reason) {
        const char* shown = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(webView_));
        return Result{outcome, std::move(reason), httpStatus_, shown ? shown : "", mayPass_};
    };
    if (failed_ || processEnded_) {
        return result(Outcome::Failed, reason_);
    }
    if (finished_) {
        return result(Outcome::Loaded, {});
    }
    if (StopRequested()) {
        return result(Outcome::Failed, "stopped");
    }
    if (std::chrono::steady_clock::now() < deadline_) {
        return std::nullopt;
    }
    if (!committed_) {
        // The view still shows the page before: capturing it would be a wrong picture.
        Result silent =
            result(Outcome::Failed,
                   "no answer came within " + std::to_string(limit_.count() / 1000) + " seconds");
        silent.mayPass = true;
        silent.unanswered = true;
        return silent;
    }
    return result(Outcome::TimedOut, {});
}

void PageLoader::WaitForStartPage(std::chrono::milliseconds limit) {
    // No reset: with several views, this view's start page may have shown while the program
    // waited for another's.
    RunEventsUntil([this] { return finished_ || processEnded_; }, limit);
}

void PageLoader::ProcessEventsFor(std::chrono::milliseconds duration) {
    RunEventsUntil([] { return false; }, duration);
}

void PageLoader::OnLoadChanged(int event) {
    // The load's result stands; what the page loads on its own after it is only followed.
    if (finished_ && !failed_) {
        if (event == WEBKIT_LOAD_STARTED || event == WEBKIT_LOAD_FINISHED) {
            elsewhere_ = event == WEBKIT_LOAD_STARTED;
        }
        return;
    }
    // What the engine still reports of the page before (the blank start page, a load that was
    // stopped) comes before this load starts.
    if (event == WEBKIT_LOAD_STARTED) {
        started_ = true;
    }
    if (!started_) {
        return;
    }
    if (event == WEBKIT_LOAD_COMMITTED) {
        committed_ = true;
        // The answer is there: a page that failed need not be waited for.
        WebKitWebResource* resource = webkit_web_view_get_main_resource(WEBKIT_WEB_VIEW(webView_));
        WebKitURIResponse* response =
            resource ? webkit_web_resource_get_response(resource) : nullptr;
        const guint status = response ? webkit_uri_response_get_status_code(response) : 0;
        httpStatus_ = int(status);
        const char* shown = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(webView_));
        if (status >= 400 && status <= 599) {
            failed_ = true;
            reason_ = "the server answered with HTTP status " + std::to_string(status);
            // The server's own trouble, a time-out or too many requests may be over soon; a
            // missing or forbidden page will not be there on the next try.
            mayPass_ = status >= 500 || status == 408 || status == 429;
        } else if (requested_ != "about:blank" && shown && std::string(shown) == "about:blank") {
            // The engine shows a blank page instead of addresses it refuses to open, such as
            // those on ports that browsers keep away from.
            failed_ = true;
            reason_ = "the browser refused to open this address";
        }
    }
    if (event == WEBKIT_LOAD_FINISHED) {
        finished_ = true;
        if (!committed_ && !failed_) {
            // Ended before anything arrived: cancelled, as a declined sign-in is. The view still
            // shows the page before.
            failed_ = true;
            reason_ = "the load was cancelled before the page arrived";
        }
    }
}

void PageLoader::OnLoadFailed(const std::string& reason, bool cancelled, bool mayPass) {
    // A load is cancelled when the next one replaces it or when loading is stopped for a
    // capture; neither is a failure of the page being loaded. The first reason is the one that
    // tells why.
    if (cancelled || !started_ || finished_ || failed_) {
        return;
    }
    failed_ = true;
    reason_ = reason;
    mayPass_ = mayPass;
}

void PageLoader::OnProcessEnded(bool crashed) {
    processEnded_ = true;
    mayPass_ = true;
    reason_ = crashed ? "the browser engine's page process ended unexpectedly"
                      : "the browser engine's page process was ended";
}

}  // namespace pagrovix
