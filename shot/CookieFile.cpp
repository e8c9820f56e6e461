#include "shot/CookieFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <system_error>

#include "imaging/ReplacingFile.h"
#include "shot/ShotOptions.h"

namespace pagrovix {
namespace {

constexpr std::string_view kHttpOnlyMark = "#HttpOnly_";

bool ParseFlag(std::string_view text, bool& flag) {
    if (text == "TRUE" || text == "true") {
        flag = true;
        return true;
    }
    if (text == "FALSE" || text == "false") {
        flag = false;
        return true;
    }
    return false;
}

}  // namespace

std::vector<CookieEntry> ReadCookieFile(std::string_view text, const std::string& fileName) {
    std::vector<CookieEntry> cookies;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        CookieEntry cookie;
        if (line.starts_with(kHttpOnlyMark)) {
            cookie.httpOnly = true;
            line.remove_prefix(kHttpOnlyMark.size());
        } else if (line.empty() || line.front() == '#' ||
                   line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        std::vector<std::string_view> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
        const auto bad = [&](const std::string& why) {
            return UsageError("--cookies \"" + fileName + "\" line " + std::to_string(number) +
                              ": " + why);
        };
        if (fields.size() != 7) {
            throw bad("a cookie has 7 fields separated by tabs, this line " +
                      std::to_string(fields.size()));
        }
        cookie.domain = fields[0];
        cookie.path = fields[2];
        cookie.name = fields[5];
        cookie.value = fields[6];
        const auto [endOfNumber, error] =
            std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), cookie.expires);
        if (cookie.domain.empty() || cookie.name.empty() ||
            !ParseFlag(fields[1], cookie.includeSubdomains) || !ParseFlag(fields[3], cookie.secure) ||
            error != std::errc() || endOfNumber != fields[4].data() + fields[4].size() ||
            cookie.expires < 0) {
            throw bad("want DOMAIN, TRUE or FALSE, PATH, TRUE or FALSE, EXPIRES (seconds), "
                      "NAME, VALUE");
        }
        cookies.push_back(std::move(cookie));
    }
    return cookies;
}

std::string CookieFileText(const std::vector<CookieEntry>& cookies) {
    std::string text = "# Netscape HTTP Cookie File\n";
    for (const CookieEntry& cookie : cookies) {
        text += (cookie.httpOnly ? std::string(kHttpOnlyMark) : std::string()) + cookie.domain +
                "\t" + (cookie.includeSubdomains ? "TRUE" : "FALSE") + "\t" + cookie.path + "\t" +
                (cookie.secure ? "TRUE" : "FALSE") + "\t" + std::to_string(cookie.expires) +
                "\t" + cookie.name + "\t" + cookie.value + "\n";
    }
    return text;
}

void WritePrivateFile(const std::string& path, const std::string& text) {
    // Sign-in cookies are as good as a password: no moment where others may read them.
    const mode_t before = umask(077);
    try {
        ReplacingFile file(path);
        umask(before);
        file.Write(text.data(), text.size());
        file.Commit();
    } catch (...) {
        umask(before);
        throw;
    }
    if (chmod(path.c_str(), 0600) != 0) {
        throw Error("Cannot make \"" + path + "\" private: " +
                    std::error_code(errno, std::generic_category()).message());
    }
}

}  // namespace pagrovix
