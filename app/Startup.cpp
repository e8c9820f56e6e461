#include "app/Startup.h"

#include <filesystem>
#include <system_error>

namespace pagrovix {
namespace {

bool IsSet(const char* value) {
    return value != nullptr && *value != '\0';
}

}  // namespace

std::string StartAddress(const std::vector<std::string>& arguments) {
    return arguments.empty() ? std::string("about:blank") : arguments.front();
}

std::optional<std::string> MissingDisplayMessage(const char* x11Display,
                                                 const char* waylandDisplay) {
    if (IsSet(x11Display) || IsSet(waylandDisplay)) {
        return std::nullopt;
    }
    return "pagrovix: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is "
           "set); start Pagrovix from a desktop session.";
}

std::string UnreachableDisplayMessage(const char* x11Display, const char* waylandDisplay) {
    const std::string name = IsSet(waylandDisplay) ? waylandDisplay
                             : IsSet(x11Display)   ? x11Display
                                                   : "";
    return "pagrovix: cannot open the display \"" + name +
           "\"; start Pagrovix from a desktop session.";
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string InstalledDataFolder() {
    return PAGROVIX_INSTALLED_DATA_DIR;
}

std::vector<std::string> DataFileCandidates(const std::string& programFolder,
                                            const std::string& installedFolder,
                                            const std::string& name) {
    return {programFolder + "/data/" + name, FolderOf(programFolder) + "/share/pagrovix/" + name,
            installedFolder + "/" + name};
}

std::optional<std::string> FirstExistingFile(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace pagrovix
