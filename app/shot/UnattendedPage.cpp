#include "app/shot/UnattendedPage.h"

#include <webkit2/webkit2.h>
#include <wx/webview.h>

namespace pagrovix {
namespace {

gboolean AnswerScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer) {
    if (webkit_script_dialog_get_dialog_type(dialog) ==
        WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
        // The next page must be able to replace this one.
        webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
    }
    return TRUE;
}

gboolean DeclinePrint(WebKitWebView*, WebKitPrintOperation*, gpointer) {
    return TRUE;
}

gboolean DeclinePermission(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
    webkit_permission_request_deny(request);
    return TRUE;
}

gboolean DeclineAuthentication(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer) {
    webkit_authentication_request_cancel(request);
    return TRUE;
}

gboolean DeclineFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer) {
    webkit_file_chooser_request_cancel(request);
    return TRUE;
}

gboolean DeclineColorChooser(WebKitWebView*, WebKitColorChooserRequest* request, gpointer) {
    webkit_color_chooser_request_cancel(request);
    return TRUE;
}

gboolean DeclineNotification(WebKitWebView*, WebKitNotification*, gpointer) {
    return TRUE;
}

}  // namespace

void MakeUnattended(wxWebView* view) {
    auto* webView = static_cast<WebKitWebView*>(view->GetNativeBackend());
    WebKitSettings* settings = webkit_web_view_get_settings(webView);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    view->EnableContextMenu(false);
    g_signal_connect(webView, "script-dialog", G_CALLBACK(AnswerScriptDialog), nullptr);
    g_signal_connect(webView, "print", G_CALLBACK(DeclinePrint), nullptr);
    g_signal_connect(webView, "permission-request", G_CALLBACK(DeclinePermission), nullptr);
    g_signal_connect(webView, "authenticate", G_CALLBACK(DeclineAuthentication), nullptr);
    g_signal_connect(webView, "run-file-chooser", G_CALLBACK(DeclineFileChooser), nullptr);
    g_signal_connect(webView, "run-color-chooser", G_CALLBACK(DeclineColorChooser), nullptr);
    g_signal_connect(webView, "show-notification", G_CALLBACK(DeclineNotification), nullptr);
}

}  // namespace pagrovix
