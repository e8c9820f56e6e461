#include "ui/AddressRules.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace pagrovix {
namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// Schemes whose URLs have no "//" after the colon.
bool IsOpaqueScheme(std::string_view scheme) {
    constexpr std::array<std::string_view, 6> kOpaque = {"about",      "data", "mailto",
                                                         "javascript", "blob", "view-source"};
    return std::any_of(kOpaque.begin(), kOpaque.end(), [&](std::string_view known) {
        return std::equal(
            scheme.begin(), scheme.end(), known.begin(), known.end(),
            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    });
}

bool IsUnreservedInPath(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::string TrimAddress(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlankOrControl).base();
    return first < last ? std::string(first, last) : std::string();
}

bool HasScheme(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    const std::string_view scheme = text.substr(0, colon);
    if (!std::all_of(scheme.begin(), scheme.end(), IsSchemeChar)) {
        return false;
    }
    return text.substr(colon + 1).starts_with("//") || IsOpaqueScheme(scheme);
}

std::string FileUrl(std::string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreservedInPath(byte)) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0x0F];
        }
    }
    return url;
}

std::string MakeUrl(std::string_view address, const std::string& startFolder) {
    if (address.empty() || HasScheme(address)) {
        return std::string(address);
    }
    std::filesystem::path path{std::string(address)};
    if (path.is_relative()) {
        path = std::filesystem::path(startFolder) / path;
    }
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return FileUrl(path.lexically_normal().string());
    }
    return "http://" + std::string(address);
}

std::string CaptionForPage(std::string_view title, std::string_view url) {
    return std::string(title.empty() ? url : title);
}

bool IsInstanceAddress(std::string_view address) {
    return HasScheme(address) && address.find('\0') == std::string_view::npos;
}

}  // namespace pagrovix
