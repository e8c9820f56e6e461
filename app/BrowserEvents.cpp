#include "app/BrowserEvents.h"

#include <exception>

#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "ui/AddressRules.h"
#include "ui/LocalHtmlFiles.h"
#include "ui/SilentPage.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

BrowserEvents* Self(gpointer data) {
    return static_cast<BrowserEvents*>(data);
}

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

extern "C" {

void LoadChangedCallback(WebKitWebView*, WebKitLoadEvent loadEvent, gpointer data) {
    Self(data)->OnLoadChanged(loadEvent);
}

gboolean LoadFailedCallback(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                            gpointer data) {
    const bool cancelled =
        error && g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED);
    Self(data)->OnLoadFailed(uri, cancelled);
    return FALSE;  // the engine still shows its error page
}

void ProgressCallback(GObject*, GParamSpec*, gpointer data) {
    Self(data)->OnProgress();
}

void TitleCallback(GObject*, GParamSpec*, gpointer data) {
    Self(data)->OnTitle(false);
}

void HistoryCallback(WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer, gpointer data) {
    Self(data)->OnHistoryChanged();
}

void MouseTargetCallback(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer data) {
    const bool link = hit && webkit_hit_test_result_context_is_link(hit);
    Self(data)->OnLinkHovered(link ? webkit_hit_test_result_get_link_uri(hit) : nullptr);
}

// A script's window.open(): reported, then refused, so no window of the engine's own is ever
// created.
GtkWidget* CreateCallback(WebKitWebView*, WebKitNavigationAction* action, gpointer data) {
    Self(data)->OnScriptWindowAction(action);
    return nullptr;
}

// An emission hook sees the new-window decision before any handler, including the one wx uses to
// refuse it, so the details of the action (was it a click on a link?) are still at hand.
gboolean DecidePolicyHook(GSignalInvocationHint*, guint count, const GValue* values,
                          gpointer data) {
    if (count < 3 || g_value_get_object(&values[0]) != Self(data)->NativeView() ||
        g_value_get_enum(&values[2]) != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        return TRUE;
    }
    auto* decision = WEBKIT_NAVIGATION_POLICY_DECISION(g_value_get_object(&values[1]));
    Self(data)->OnNewWindowAction(
        webkit_navigation_policy_decision_get_navigation_action(decision));
    return TRUE;
}

}  // extern "C"

std::string AddressOf(WebKitNavigationAction* action) {
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    return Text(request ? webkit_uri_request_get_uri(request) : nullptr);
}

}  // namespace

BrowserEvents::BrowserEvents(wxWebView* view, Handlers handlers)
    : view_(view), native_(view->GetNativeBackend()), handlers_(std::move(handlers)) {
    auto* web = WEBKIT_WEB_VIEW(native_);
    // Ahead of this window's own load-failed handler, which must not see the loads it takes over.
    OpenLocalHtmlFilesAsHtml(web);
    auto connect = [&](const char* signal, GCallback callback) {
        signalIds_.push_back(g_signal_connect(web, signal, callback, this));
    };
    connect("load-changed", G_CALLBACK(LoadChangedCallback));
    connect("load-failed", G_CALLBACK(LoadFailedCallback));
    connect("notify::estimated-load-progress", G_CALLBACK(ProgressCallback));
    connect("notify::title", G_CALLBACK(TitleCallback));
    connect("mouse-target-changed", G_CALLBACK(MouseTargetCallback));
    SilencePageDialogs(web);
    // wx answers a script's window.open() by handing the page its own view as the new window,
    // which the engine does not survive; this window refuses instead.
    g_signal_handlers_disconnect_matched(
        web, GSignalMatchType(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA),
        g_signal_lookup("create", WEBKIT_TYPE_WEB_VIEW), 0, nullptr, nullptr, view);
    connect("create", G_CALLBACK(CreateCallback));

    history_ = webkit_web_view_get_back_forward_list(web);
    historySignalId_ = g_signal_connect(history_, "changed", G_CALLBACK(HistoryCallback), this);

    newWindowHookId_ = g_signal_add_emission_hook(
        g_signal_lookup("decide-policy", WEBKIT_TYPE_WEB_VIEW), 0, DecidePolicyHook, this, nullptr);
}

BrowserEvents::~BrowserEvents() {
    g_signal_remove_emission_hook(g_signal_lookup("decide-policy", WEBKIT_TYPE_WEB_VIEW),
                                  newWindowHookId_);
    g_signal_handler_disconnect(history_, historySignalId_);
    for (const unsigned long id : signalIds_) {
        g_signal_handler_disconnect(native_, id);
    }
}

void BrowserEvents::OnLoadChanged(int loadEvent) {
    auto* web = WEBKIT_WEB_VIEW(native_);
    switch (loadEvent) {
        case WEBKIT_LOAD_STARTED:
            status_.LoadStarted(Text(webkit_web_view_get_uri(web)));
            ReportStatus();
            break;
        case WEBKIT_LOAD_COMMITTED:
            OnHistoryChanged();
            break;
        case WEBKIT_LOAD_FINISHED:
            status_.LoadFinished();
            ReportStatus();
            ReportProgress(ReportLoadProgress(1.0, false));
            OnHistoryChanged();
            // An untitled page never sets a title, yet it is a page of its own.
            OnTitle(true);
            break;
        default:
            break;
    }
}

void BrowserEvents::OnLoadFailed(const char* uri, bool cancelled) {
    if (cancelled) {
        status_.LoadFinished();
    } else {
        status_.LoadFailed(Text(uri));
    }
    ReportStatus();
    ReportProgress(ReportLoadProgress(0.0, false));
}

void BrowserEvents::OnProgress() {
    auto* web = WEBKIT_WEB_VIEW(native_);
    ReportProgress(ReportLoadProgress(webkit_web_view_get_estimated_load_progress(web),
                                      webkit_web_view_is_loading(web)));
}

void BrowserEvents::OnTitle(bool untitledToo) {
    auto* web = WEBKIT_WEB_VIEW(native_);
    const std::string title = Text(webkit_web_view_get_title(web));
    // A new page starts without a title; its own title or the end of its load follows.
    if (title.empty() && !untitledToo) {
        return;
    }
    const std::string caption = CaptionForPage(title, Text(webkit_web_view_get_uri(web)));
    if (handlers_.titleChange) {
        Deliver([&] { handlers_.titleChange(caption); });
    }
}

void BrowserEvents::OnHistoryChanged() {
    auto* web = WEBKIT_WEB_VIEW(native_);
    if (!handlers_.commandStateChange) {
        return;
    }
    const bool forward = webkit_web_view_can_go_forward(web);
    const bool back = webkit_web_view_can_go_back(web);
    Deliver([&] {
        handlers_.commandStateChange(kCommandNavigateForward, forward);
        handlers_.commandStateChange(kCommandNavigateBack, back);
    });
}

void BrowserEvents::OnLinkHovered(const char* uri) {
    pointerOnLink_ = uri != nullptr;
    status_.LinkHovered(Text(uri));
    ReportStatus();
}

void BrowserEvents::OnNewWindowAction(void* navigationAction) {
    auto* action = static_cast<WebKitNavigationAction*>(navigationAction);
    const bool linkClick = webkit_navigation_action_get_navigation_type(action) ==
                               WEBKIT_NAVIGATION_TYPE_LINK_CLICKED &&
                           webkit_navigation_action_is_user_gesture(action);
    ReportNewWindow(AddressOf(action), linkClick);
}

void BrowserEvents::OnScriptWindowAction(void* navigationAction) {
    auto* action = static_cast<WebKitNavigationAction*>(navigationAction);
    // The script runs for a person's click on a link (its onclick opens the window); a click
    // elsewhere, such as on a button, or a script on its own asks for no window.
    const bool linkClick = webkit_navigation_action_is_user_gesture(action) && pointerOnLink_;
    ReportNewWindow(AddressOf(action), linkClick);
}

void BrowserEvents::ReportNewWindow(const std::string& address, bool linkClick) {
    if (!handlers_.newWindow) {
        return;
    }
    // Acted on once the engine has finished deciding, outside its signal.
    view_->CallAfter(
        [handler = handlers_.newWindow, address, linkClick] { handler(address, linkClick); });
}

void BrowserEvents::ReportStatus() {
    if (handlers_.statusTextChange) {
        const std::string text = status_.Text();
        Deliver([&] { handlers_.statusTextChange(text); });
    }
}

void BrowserEvents::ReportProgress(ProgressReport report) {
    if (handlers_.progressChange) {
        Deliver([&] { handlers_.progressChange(report.progress, report.progressMax); });
    }
}

void BrowserEvents::Deliver(const std::function<void()>& call) {
    std::string message;
    try {
        call();
        return;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = "Unexpected error";
    }
    view_->CallAfter([message] { UiHelpers::ShowError(wxString::FromUTF8(message)); });
}

}  // namespace pagrovix
