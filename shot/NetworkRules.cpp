#include "shot/NetworkRules.h"

#include <utility>

#include <gio/gio.h>

namespace pagrovix {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = char(g_ascii_tolower(c));
    }
    return text;
}

}  // namespace

std::optional<std::string> WebOrigin(const std::string& scheme, const std::string& host, int port) {
    const std::string lowerScheme = Lower(scheme);
    const int ownPort = lowerScheme == "http" ? 80 : lowerScheme == "https" ? 443 : 0;
    if (ownPort == 0 || host.empty()) {
        return std::nullopt;
    }
    // An IPv6 host is written in brackets, as in an address, so that its colons stay apart from
    // the port's.
    const std::string lowerHost = Lower(host);
    const std::string shownHost =
        lowerHost.find(':') != std::string::npos ? "[" + lowerHost + "]" : lowerHost;
    return lowerScheme + "://" + shownHost + ":" + std::to_string(port > 0 ? port : ownPort);
}

std::optional<std::string> WebOrigin(const std::string& address) {
    GUri* uri = g_uri_parse(address.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) {
        return std::nullopt;
    }
    const char* scheme = g_uri_get_scheme(uri);
    const char* host = g_uri_get_host(uri);
    auto origin = WebOrigin(scheme ? scheme : "", host ? host : "", g_uri_get_port(uri));
    g_uri_unref(uri);
    return origin;
}

bool IsProxyAddress(const std::string& address) {
    GUri* uri = g_uri_parse(address.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) {
        return false;
    }
    const std::string scheme = Lower(g_uri_get_scheme(uri) ? g_uri_get_scheme(uri) : "");
    const char* host = g_uri_get_host(uri);
    const bool known = scheme == "http" || scheme == "https" || scheme == "socks" ||
                       scheme == "socks4" || scheme == "socks5";
    const bool usable = known && host && *host;
    g_uri_unref(uri);
    return usable;
}

std::string CertificateProblems(unsigned flags) {
    static constexpr std::pair<unsigned, const char*> kProblems[] = {
        {G_TLS_CERTIFICATE_UNKNOWN_CA, "the certificate is not trusted (unknown authority)"},
        {G_TLS_CERTIFICATE_BAD_IDENTITY, "the certificate is for another host name"},
        {G_TLS_CERTIFICATE_NOT_ACTIVATED, "the certificate is not valid yet"},
        {G_TLS_CERTIFICATE_EXPIRED, "the certificate has expired"},
        {G_TLS_CERTIFICATE_REVOKED, "the certificate has been revoked"},
        {G_TLS_CERTIFICATE_INSECURE, "the certificate uses an insecure algorithm"},
        {G_TLS_CERTIFICATE_GENERIC_ERROR, "the certificate could not be checked"},
    };
    std::string text;
    for (const auto& [flag, words] : kProblems) {
        if (flags & flag) {
            text += (text.empty() ? "" : "; ") + std::string(words);
        }
    }
    return text.empty() ? "the certificate was refused" : text;
}

}  // namespace pagrovix
