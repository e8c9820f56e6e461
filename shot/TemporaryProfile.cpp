#include "shot/TemporaryProfile.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <glib.h>

namespace pagrovix {
namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

}  // namespace

TemporaryProfile::TemporaryProfile() {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    std::string pattern =
        ((error ? std::filesystem::path("/tmp") : temporary) / "pagrovix-shot-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        return;
    }
    path_ = pattern;
    // GLib reads these folders once and keeps them for the process: the engine, which takes its
    // folders from GLib here and hands them to its processes, sees the temporary ones. The
    // variables themselves go back at once, so processes started later see the user's own.
    const auto cache = Variable("XDG_CACHE_HOME");
    const auto data = Variable("XDG_DATA_HOME");
    setenv("XDG_CACHE_HOME", (path_ + "/cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (path_ + "/data").c_str(), 1);
    g_get_user_cache_dir();
    g_get_user_data_dir();
    Restore("XDG_CACHE_HOME", cache);
    Restore("XDG_DATA_HOME", data);
}

TemporaryProfile::~TemporaryProfile() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

}  // namespace pagrovix
