#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pagrovix {

// One cookie of a cookies.txt file, the Netscape format that browser extensions export and curl
// and wget read and write: seven fields separated by tabs.
struct CookieEntry {
    std::string domain;  // without the "#HttpOnly_" mark
    bool includeSubdomains = false;
    std::string path = "/";
    bool secure = false;
    std::int64_t expires = 0;  // seconds since 1970 (UTC); 0 for a session cookie
    std::string name;
    std::string value;
    bool httpOnly = false;
};

// The cookies of a file's text. Blank lines and "#" comments are skipped ("#HttpOnly_" lines
// are cookies). Throws UsageError "--cookies "FILE" line N: ..." for a malformed line.
std::vector<CookieEntry> ReadCookieFile(std::string_view text, const std::string& fileName);

// The file's text for cookies, with the format's header line.
std::string CookieFileText(const std::vector<CookieEntry>& cookies);

// Writes text to path readable by its owner only (mode 0600), whatever the umask; the file is
// replaced once complete. Throws Error naming the file.
void WritePrivateFile(const std::string& path, const std::string& text);

}  // namespace pagrovix
