#include "shot/PageStore.h"

#include <algorithm>

#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

// Runs the main loop until an answer of the engine sets done. No time limit: the engine always
// answers these calls, and the answer is written into the caller's frame.
void RunUntilAnswered(const bool& done) {
    while (!done) {
        g_main_context_iteration(nullptr, TRUE);
    }
}

SoupCookie* ToSoupCookie(const CookieEntry& entry) {
    std::string domain = entry.domain;
    if (entry.includeSubdomains && !domain.starts_with('.')) {
        domain.insert(0, ".");
    }
    SoupCookie* cookie = soup_cookie_new(entry.name.c_str(), entry.value.c_str(), domain.c_str(),
                                         entry.path.c_str(), -1);
    if (entry.expires > 0) {
        SoupDate* expires = soup_date_new_from_time_t(time_t(entry.expires));
        soup_cookie_set_expires(cookie, expires);
        soup_date_free(expires);
    }
    soup_cookie_set_secure(cookie, entry.secure);
    soup_cookie_set_http_only(cookie, entry.httpOnly);
    return cookie;
}

CookieEntry FromSoupCookie(SoupCookie* cookie) {
    CookieEntry entry;
    entry.domain = soup_cookie_get_domain(cookie);
    entry.includeSubdomains = entry.domain.starts_with('.');
    entry.path = soup_cookie_get_path(cookie);
    entry.secure = soup_cookie_get_secure(cookie);
    SoupDate* expires = soup_cookie_get_expires(cookie);
    entry.expires = expires ? std::int64_t(soup_date_to_time_t(expires)) : 0;
    entry.name = soup_cookie_get_name(cookie);
    entry.value = soup_cookie_get_value(cookie);
    entry.httpOnly = soup_cookie_get_http_only(cookie);
    return entry;
}

WebKitCookieManager* CookieManager(wxWebView* view) {
    WebKitWebView* engine = static_cast<WebKitWebView*>(view->GetNativeBackend());
    return webkit_website_data_manager_get_cookie_manager(
        webkit_web_view_get_website_data_manager(engine));
}

// What pages keep of themselves between visits. Caches are left alone: they change no picture,
// and the pages of one site share most of what they load.
constexpr auto kPageState = WebKitWebsiteDataTypes(
    WEBKIT_WEBSITE_DATA_COOKIES | WEBKIT_WEBSITE_DATA_LOCAL_STORAGE |
    WEBKIT_WEBSITE_DATA_SESSION_STORAGE | WEBKIT_WEBSITE_DATA_INDEXEDDB_DATABASES |
    WEBKIT_WEBSITE_DATA_WEBSQL_DATABASES | WEBKIT_WEBSITE_DATA_OFFLINE_APPLICATION_CACHE |
    WEBKIT_WEBSITE_DATA_SERVICE_WORKER_REGISTRATIONS | WEBKIT_WEBSITE_DATA_DOM_CACHE);

}  // namespace

void ReplaceCookies(wxWebView* view, const std::vector<CookieEntry>& cookies) {
    GList* list = nullptr;
    for (auto it = cookies.rbegin(); it != cookies.rend(); ++it) {
        list = g_list_prepend(list, ToSoupCookie(*it));
    }
    struct Answer {
        bool done = false;
        GError* error = nullptr;
    } answer;
    webkit_cookie_manager_replace_cookies(
        CookieManager(view), list, nullptr,
        [](GObject* manager, GAsyncResult* result, gpointer data) {
            auto* answer = static_cast<Answer*>(data);
            webkit_cookie_manager_replace_cookies_finish(WEBKIT_COOKIE_MANAGER(manager), result,
                                                         &answer->error);
            answer->done = true;
        },
        &answer);
    RunUntilAnswered(answer.done);
    g_list_free_full(list, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
    if (answer.error) {
        const std::string message = answer.error->message;
        g_error_free(answer.error);
        throw Error("The cookies could not be given to the browser: " + message);
    }
}

std::vector<CookieEntry> AllCookies(wxWebView* view) {
    struct Answer {
        bool done = false;
        GList* cookies = nullptr;
        GError* error = nullptr;
    } answer;
    webkit_cookie_manager_get_all_cookies(
        CookieManager(view), nullptr,
        [](GObject* manager, GAsyncResult* result, gpointer data) {
            auto* answer = static_cast<Answer*>(data);
            answer->cookies = webkit_cookie_manager_get_all_cookies_finish(
                WEBKIT_COOKIE_MANAGER(manager), result, &answer->error);
            answer->done = true;
        },
        &answer);
    RunUntilAnswered(answer.done);
    if (answer.error) {
        const std::string message = answer.error->message;
        g_error_free(answer.error);
        throw Error("The cookies could not be read from the browser: " + message);
    }
    std::vector<CookieEntry> cookies;
    for (GList* item = answer.cookies; item; item = item->next) {
        cookies.push_back(FromSoupCookie(static_cast<SoupCookie*>(item->data)));
    }
    g_list_free_full(answer.cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
    return cookies;
}

void ForgetPageState(wxWebView* view, const std::vector<std::string>& keep) {
    WebKitWebsiteDataManager* manager = webkit_web_view_get_website_data_manager(
        static_cast<WebKitWebView*>(view->GetNativeBackend()));
    struct Answer {
        bool done = false;
        GList* data = nullptr;
    } fetched;
    webkit_website_data_manager_fetch(
        manager, kPageState, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* answer = static_cast<Answer*>(data);
            answer->data = webkit_website_data_manager_fetch_finish(
                WEBKIT_WEBSITE_DATA_MANAGER(source), result, nullptr);
            answer->done = true;
        },
        &fetched);
    RunUntilAnswered(fetched.done);
    GList* forget = nullptr;
    for (GList* item = fetched.data; item; item = item->next) {
        auto* data = static_cast<WebKitWebsiteData*>(item->data);
        const char* name = webkit_website_data_get_name(data);
        // The store names a site by its domain, the part of the host it can set cookies for.
        const std::string site = name ? name : "";
        const bool kept = std::any_of(keep.begin(), keep.end(), [&site](const std::string& host) {
            return host == site || host.ends_with("." + site);
        });
        if (!kept) {
            forget = g_list_prepend(forget, data);
        }
    }
    if (forget) {
        bool removed = false;
        webkit_website_data_manager_remove(
            manager, kPageState, forget, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                webkit_website_data_manager_remove_finish(WEBKIT_WEBSITE_DATA_MANAGER(source),
                                                          result, nullptr);
                *static_cast<bool*>(data) = true;
            },
            &removed);
        RunUntilAnswered(removed);
        g_list_free(forget);
    }
    g_list_free_full(fetched.data, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
}

std::string SiteOf(const std::string& url) {
    GUri* uri = g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr);
    std::string host = uri && g_uri_get_host(uri) ? g_uri_get_host(uri) : "";
    if (uri) {
        g_uri_unref(uri);
    }
    return host;
}

}  // namespace pagrovix
