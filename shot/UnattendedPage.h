#pragma once

class wxWebView;
class wxWindow;

namespace pagrovix {

// Nobody sits in front of the command's browser view: whatever a page asks of a person is
// answered at once, the way a person who declines would, so no window opens and nothing waits.
// Alerts are dismissed, confirm() and prompt() are cancelled, leaving a page is allowed, print
// requests, permission requests, sign-in requests and file and colour choosers are declined, and
// downloads are cancelled before they write anything. New windows never open: the view's owner
// ignores the request. Pages left behind are not kept for going back.
void MakeUnattended(wxWebView* view);

// The views' window is off the screen and their pictures come from the page processes, so the
// window is never painted: each paint would send the page's latest frame to the X server through
// a buffer the size of the view, and the page's next step of loading would wait for it. Called
// once the window is shown.
void PaintNothingOnScreen(wxWindow* window);

}  // namespace pagrovix
