// Runs inside the engine's page processes, where requests are made: adds the headers of --header
// to every request to one of the origins the command gives, and to no other, so that a token
// never reaches a page's other servers. A redirect is a request of its own and is judged anew.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <webkit2/webkit-web-extension.h>

#include "shot/NetworkRules.h"

namespace {

struct Settings {
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<std::string> origins;
};

Settings& TheSettings() {
    static Settings settings;
    return settings;
}

gboolean AddHeaders(WebKitWebPage*, WebKitURIRequest* request, WebKitURIResponse*, gpointer) {
    const Settings& settings = TheSettings();
    const auto origin = pagrovix::WebOrigin(webkit_uri_request_get_uri(request));
    SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request);
    if (!origin || !headers ||
        std::find(settings.origins.begin(), settings.origins.end(), *origin) ==
            settings.origins.end()) {
        return FALSE;
    }
    // A name given once replaces the engine's own header of that name; given again, it adds.
    std::vector<std::string> given;
    for (const auto& [name, value] : settings.headers) {
        const bool again = std::any_of(given.begin(), given.end(), [&](const std::string& seen) {
            return g_ascii_strcasecmp(seen.c_str(), name.c_str()) == 0;
        });
        if (again) {
            soup_message_headers_append(headers, name.c_str(), value.c_str());
        } else {
            soup_message_headers_replace(headers, name.c_str(), value.c_str());
            given.push_back(name);
        }
    }
    return FALSE;
}

void PageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer) {
    g_signal_connect(page, "send-request", G_CALLBACK(AddHeaders), nullptr);
}

}  // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize_with_user_data(
    WebKitWebExtension* extension, GVariant* data) {
    if (!data || !g_variant_is_of_type(data, G_VARIANT_TYPE("(a(ss)as)"))) {
        return;
    }
    Settings& settings = TheSettings();
    GVariantIter* headers = nullptr;
    GVariantIter* origins = nullptr;
    g_variant_get(data, "(a(ss)as)", &headers, &origins);
    const gchar* name = nullptr;
    const gchar* value = nullptr;
    while (g_variant_iter_loop(headers, "(&s&s)", &name, &value)) {
        settings.headers.emplace_back(name, value);
    }
    const gchar* origin = nullptr;
    while (g_variant_iter_loop(origins, "&s", &origin)) {
        settings.origins.emplace_back(origin);
    }
    g_variant_iter_free(headers);
    g_variant_iter_free(origins);
    g_signal_connect(extension, "page-created", G_CALLBACK(PageCreated), nullptr);
}
