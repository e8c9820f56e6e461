#include "ui/SilentPage.h"

#include <webkit2/webkit2.h>

namespace pagrovix {
namespace {

extern "C" {

gboolean AnswerScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer) {
    switch (webkit_script_dialog_get_dialog_type(dialog)) {
        case WEBKIT_SCRIPT_DIALOG_CONFIRM:
            webkit_script_dialog_confirm_set_confirmed(dialog, FALSE);
            break;
        case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
            webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
            break;
        default:
            break;
    }
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

// window.print() would open the print dialog.
gboolean DeclinePrint(WebKitWebView*, WebKitPrintOperation*, gpointer) {
    return TRUE;
}

}  // extern "C"

}  // namespace

void SilencePageDialogs(WebKitWebView* view) {
    g_signal_connect(view, "script-dialog", G_CALLBACK(AnswerScriptDialog), nullptr);
    g_signal_connect(view, "permission-request", G_CALLBACK(DeclinePermission), nullptr);
    g_signal_connect(view, "authenticate", G_CALLBACK(DeclineAuthentication), nullptr);
    g_signal_connect(view, "print", G_CALLBACK(DeclinePrint), nullptr);
}

}  // namespace pagrovix
