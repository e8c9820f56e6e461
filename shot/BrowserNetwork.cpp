#include "shot/BrowserNetwork.h"

#include <algorithm>
#include <filesystem>

#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "imaging/Error.h"
#include "shot/NetworkRules.h"

namespace pagrovix {
namespace {

constexpr const char* kHeaderModule = "pagrovix-shot-headers.so";

// Beside the program in its build folder, or where it is installed, relative to the program.
std::string HeaderModuleFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = program.parent_path();
    const std::filesystem::path candidates[] = {folder / "web-extensions",
                                                folder / PAGROVIX_SHOT_MODULE_FOLDER};
    for (const auto& candidate : candidates) {
        if (std::filesystem::is_regular_file(candidate / kHeaderModule, error)) {
            return candidate.lexically_normal().string();
        }
    }
    throw Error(std::string("--header needs the program's module for the page processes, ") +
                kHeaderModule + ", which is not installed with it (looked in \"" +
                candidates[0].string() + "\" and \"" + candidates[1].lexically_normal().string() +
                "\").");
}

// What each new page process is given: the folder of the module and its settings.
struct HeaderModule {
    std::string folder;
    GVariant* settings = nullptr;
};

void GiveHeaderModule(WebKitWebContext* context, gpointer data) {
    const auto* module = static_cast<const HeaderModule*>(data);
    webkit_web_context_set_web_extensions_directory(context, module->folder.c_str());
    webkit_web_context_set_web_extensions_initialization_user_data(context, module->settings);
    // The toolkit's own module would replace this one after us; the command uses none of it.
    g_signal_stop_emission_by_name(context, "initialize-web-extensions");
}

gboolean Challenge(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer answers) {
    return static_cast<SignInAnswers*>(answers)->OnChallenge(request);
}

}  // namespace

std::vector<std::string> OriginsOf(const std::vector<std::string>& urls) {
    std::vector<std::string> origins;
    for (const std::string& url : urls) {
        const auto origin = WebOrigin(url);
        if (origin && std::find(origins.begin(), origins.end(), *origin) == origins.end()) {
            origins.push_back(*origin);
        }
    }
    return origins;
}

void SetUpNetwork(const ShotOptions& options, const std::vector<std::string>& origins) {
    WebKitWebContext* context = webkit_web_context_get_default();
    WebKitWebsiteDataManager* data = webkit_web_context_get_website_data_manager(context);
    if (!options.proxy.empty()) {
        WebKitNetworkProxySettings* proxy =
            webkit_network_proxy_settings_new(options.proxy.c_str(), nullptr);
        webkit_website_data_manager_set_network_proxy_settings(
            data, WEBKIT_NETWORK_PROXY_MODE_CUSTOM, proxy);
        webkit_network_proxy_settings_free(proxy);
    }
    if (options.ignoreCertificateErrors) {
        webkit_website_data_manager_set_tls_errors_policy(data, WEBKIT_TLS_ERRORS_POLICY_IGNORE);
    }
    if (options.headers.empty()) {
        return;
    }
    GVariantBuilder headers;
    g_variant_builder_init(&headers, G_VARIANT_TYPE("a(ss)"));
    for (const RequestHeader& header : options.headers) {
        g_variant_builder_add(&headers, "(ss)", header.name.c_str(), header.value.c_str());
    }
    GVariantBuilder allowed;
    g_variant_builder_init(&allowed, G_VARIANT_TYPE("as"));
    for (const std::string& origin : origins) {
        g_variant_builder_add(&allowed, "s", origin.c_str());
    }
    // Kept for the whole run: every page process started later is given the same.
    static HeaderModule module;
    module.folder = HeaderModuleFolder();
    module.settings = g_variant_ref_sink(g_variant_new("(a(ss)as)", &headers, &allowed));
    g_signal_connect(context, "initialize-web-extensions", G_CALLBACK(GiveHeaderModule), &module);
}

SignInAnswers::SignInAnswers(wxWebView* view, const std::optional<Credentials>& credentials)
    : webView_(view->GetNativeBackend()), credentials_(credentials) {
    g_signal_connect(webView_, "authenticate", G_CALLBACK(Challenge), this);
}

SignInAnswers::~SignInAnswers() {
    g_signal_handlers_disconnect_by_data(webView_, this);
}

void SignInAnswers::StartJob(const std::string& url) {
    origin_ = WebOrigin(url);
    answered_ = false;
    refused_ = false;
    unanswered_ = false;
}

bool SignInAnswers::OnChallenge(void* challenge) {
    auto* request = static_cast<WebKitAuthenticationRequest*>(challenge);
    std::optional<std::string> origin;
    if (WebKitSecurityOrigin* asking = webkit_authentication_request_get_security_origin(request)) {
        const char* scheme = webkit_security_origin_get_protocol(asking);
        const char* host = webkit_security_origin_get_host(asking);
        origin = WebOrigin(scheme ? scheme : "", host ? host : "",
                           int(webkit_security_origin_get_port(asking)));
        webkit_security_origin_unref(asking);
    }
    const bool own = !webkit_authentication_request_is_for_proxy(request) && origin && origin_ &&
                     *origin == *origin_;
    if (!own || answered_ || !credentials_) {
        refused_ = refused_ || (own && answered_);
        unanswered_ = unanswered_ || (own && !credentials_);
        webkit_authentication_request_cancel(request);
        return true;
    }
    answered_ = true;
    WebKitCredential* credential =
        webkit_credential_new(credentials_->user.c_str(), credentials_->password.c_str(),
                              WEBKIT_CREDENTIAL_PERSISTENCE_FOR_SESSION);
    webkit_authentication_request_authenticate(request, credential);
    webkit_credential_free(credential);
    return true;
}

}  // namespace pagrovix
