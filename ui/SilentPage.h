#pragma once

typedef struct _WebKitWebView WebKitWebView;

namespace pagrovix {

// A page may ask things of a person that this program never shows: alerts are dropped, confirm()
// gets "cancel", prompt() gets null, leaving a page is never held up by a "leave this page?"
// question, and print, permission and sign-in requests are declined. The answers need no state,
// so they stay connected for the view's whole life.
void SilencePageDialogs(WebKitWebView* view);

}  // namespace pagrovix
