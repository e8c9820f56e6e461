#pragma once

#include <string>
#include <vector>

#include "shot/CookieFile.h"

class wxWebView;

namespace pagrovix {

// What the browser keeps for pages between visits: cookies and site storage. Every view of the
// run shares one store, so these act on all of them.

// Puts exactly these cookies in the engine's jar: whatever earlier jobs left there is gone.
void ReplaceCookies(wxWebView* view, const std::vector<CookieEntry>& cookies);

// The cookies in the engine's jar now.
std::vector<CookieEntry> AllCookies(wxWebView* view);

// Removes what earlier pages stored (cookies, storage, databases, service workers), but for the
// sites of keepHosts (those of jobs under way in other views). Caches stay.
void ForgetPageState(wxWebView* view, const std::vector<std::string>& keepHosts);

// The host of an address, for ForgetPageState; empty when it has none.
std::string SiteOf(const std::string& url);

}  // namespace pagrovix
