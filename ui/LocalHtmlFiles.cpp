#include "ui/LocalHtmlFiles.h"

#include <string>

#include <webkit2/webkit2.h>

#include "ui/HtmlFileRules.h"

namespace pagrovix {
namespace {

struct StoppedLoad {
    // The address whose load this view stopped to show it as HTML.
    std::string uri;
    // The engine ends every failed load with a "finished" report; for a load taken over, the
    // end is that of the page shown in its place.
    bool hideFinish = false;
};

bool IsHtml(const char* mimeType) {
    return mimeType && g_ascii_strcasecmp(mimeType, "text/html") == 0;
}

extern "C" {

gboolean StopNonHtmlType(WebKitWebView*, WebKitPolicyDecision* decision,
                         WebKitPolicyDecisionType type, gpointer data) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        return FALSE;
    }
    auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
    WebKitURIResponse* answer = webkit_response_policy_decision_get_response(response);
    const char* uri = answer ? webkit_uri_response_get_uri(answer) : nullptr;
    if (!webkit_response_policy_decision_is_main_frame_main_resource(response) || !uri ||
        !IsLocalHtmlFileUrl(uri) || IsHtml(webkit_uri_response_get_mime_type(answer))) {
        return FALSE;
    }
    static_cast<StoppedLoad*>(data)->uri = uri;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

// Shown from here, the engine keeps the back and forward lists as they were for the file.
gboolean ShowStoppedLoadAsHtml(WebKitWebView* view, WebKitLoadEvent, gchar* failingUri,
                               GError* error, gpointer data) {
    auto* stopped = static_cast<StoppedLoad*>(data);
    if (stopped->uri.empty() || !failingUri || stopped->uri != failingUri ||
        !g_error_matches(error, WEBKIT_POLICY_ERROR,
                         WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE)) {
        return FALSE;
    }
    stopped->uri.clear();
    gchar* path = g_filename_from_uri(failingUri, nullptr, nullptr);
    gchar* contents = nullptr;
    gsize length = 0;
    const bool read = path && g_file_get_contents(path, &contents, &length, nullptr);
    g_free(path);
    if (!read) {
        return FALSE;  // the engine reports the failed load as it would any other
    }
    const std::string text = HtmlFileTextAsUtf8(std::string_view(contents, length));
    g_free(contents);
    webkit_web_view_load_alternate_html(view, text.c_str(), failingUri, failingUri);
    stopped->hideFinish = true;
    return TRUE;
}

void HideStoppedLoadFinish(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    auto* stopped = static_cast<StoppedLoad*>(data);
    if (stopped->hideFinish && event == WEBKIT_LOAD_FINISHED) {
        stopped->hideFinish = false;
        g_signal_stop_emission_by_name(view, "load-changed");
    }
}

void ForgetStoppedLoad(gpointer data, GClosure*) {
    delete static_cast<StoppedLoad*>(data);
}

}  // extern "C"

}  // namespace

void OpenLocalHtmlFilesAsHtml(WebKitWebView* view) {
    auto* stopped = new StoppedLoad;
    g_signal_connect_data(view, "decide-policy", G_CALLBACK(StopNonHtmlType), stopped, nullptr,
                          GConnectFlags(0));
    g_signal_connect_data(view, "load-changed", G_CALLBACK(HideStoppedLoadFinish), stopped, nullptr,
                          GConnectFlags(0));
    g_signal_connect_data(view, "load-failed", G_CALLBACK(ShowStoppedLoadAsHtml), stopped,
                          ForgetStoppedLoad, GConnectFlags(0));
}

}  // namespace pagrovix
