#include "app/Startup.h"

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

}  // namespace pagrovix
