#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pagrovix {

// The address opened at start: the first command-line argument as given (blanks included; the
// address box shows it unchanged), or "about:blank" without one. Later arguments are ignored.
std::string StartAddress(const std::vector<std::string>& arguments);

// The reason the program cannot show a window, before the toolkit is touched: no display
// at all in the environment. Nothing when a display is named.
std::optional<std::string> MissingDisplayMessage(const char* x11Display,
                                                 const char* waylandDisplay);

// The line printed when a display is named but cannot be opened.
std::string UnreachableDisplayMessage(const char* x11Display, const char* waylandDisplay);

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
