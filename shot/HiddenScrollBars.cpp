#include "shot/HiddenScrollBars.h"

#include <webkit2/webkit2.h>
#include <wx/webview.h>

namespace pagrovix {

void HideScrollBars(wxWebView* view) {
    auto* webView = static_cast<WebKitWebView*>(view->GetNativeBackend());
    // A user sheet's !important outranks the page's own, also its !important.
    WebKitUserStyleSheet* sheet = webkit_user_style_sheet_new(
        "::-webkit-scrollbar { display: none !important; width: 0 !important;"
        " height: 0 !important; }",
        WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES, WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
    webkit_user_content_manager_add_style_sheet(webkit_web_view_get_user_content_manager(webView),
                                                sheet);
    webkit_user_style_sheet_unref(sheet);
}

}  // namespace pagrovix
