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

}  // namespace pagrovix
