#include "ui/DataFiles.h"

#include <filesystem>
#include <system_error>

namespace pagrovix {

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
