#include "shot/UnattendedPage.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/window.h>
#include <wx/webview.h>

#include "ui/SilentPage.h"

namespace pagrovix {
namespace {

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

void CancelDownload(WebKitWebContext*, WebKitDownload* download, gpointer) {
    webkit_download_cancel(download);
}

}  // namespace

void MakeUnattended(wxWebView* view) {
    auto* webView = static_cast<WebKitWebView*>(view->GetNativeBackend());
    WebKitSettings* settings = webkit_web_view_get_settings(webView);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    // Nothing goes back to a page once it is captured: kept for going back, the pages before
    // would hold their whole documents in the page process, tens of MB each.
    webkit_settings_set_enable_page_cache(settings, FALSE);
    view->EnableContextMenu(false);
    SilencePageDialogs(webView);
    g_signal_connect(webView, "run-file-chooser", G_CALLBACK(DeclineFileChooser), nullptr);
    g_signal_connect(webView, "run-color-chooser", G_CALLBACK(DeclineColorChooser), nullptr);
    g_signal_connect(webView, "show-notification", G_CALLBACK(DeclineNotification), nullptr);
    // A page's downloads (a link with a download attribute clicked by its script, an address
    // that gives a file) would be saved in the home folder, under names the page chooses, and
    // nobody would know. The views share one context: it is told once.
    WebKitWebContext* context = webkit_web_view_get_context(webView);
    static const char* const kCancelsDownloads = "pagrovix-cancels-downloads";
    if (!g_object_get_data(G_OBJECT(context), kCancelsDownloads)) {
        g_signal_connect(context, "download-started", G_CALLBACK(CancelDownload), nullptr);
        g_object_set_data(G_OBJECT(context), kCancelsDownloads, GINT_TO_POINTER(1));
    }
}

void PaintNothingOnScreen(wxWindow* window) {
    // Everything in the window paints through its top-level window, frozen here for good.
    if (GdkWindow* native = gtk_widget_get_window(GTK_WIDGET(window->GetHandle()))) {
        gdk_window_freeze_updates(native);
    }
}

}  // namespace pagrovix
