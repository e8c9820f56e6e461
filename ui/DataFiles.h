#pragma once

#include <optional>
#include <string>
#include <vector>

// Where the program finds the files it installs beside itself (start page, icon).
namespace pagrovix {

// The folder part of a file's path, without a trailing separator except for the root folder.
std::string FolderOf(const std::string& path);

// The folder the installed program keeps its data files in.
std::string InstalledDataFolder();

// Where a data file of the program may be: beside the program in the build tree (data/name), in
// the data folder of the prefix the program is installed under (bin/../share/pagrovix), then in
// the data folder chosen when it was built.
std::vector<std::string> DataFileCandidates(const std::string& programFolder,
                                            const std::string& installedFolder,
                                            const std::string& name);

// The first of the paths that names an existing regular file, or nothing.
std::optional<std::string> FirstExistingFile(const std::vector<std::string>& candidates);

}  // namespace pagrovix
