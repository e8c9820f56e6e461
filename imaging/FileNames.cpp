#include "imaging/FileNames.h"

namespace pagrovix {

std::string LowerExtension(const std::string& path) {
    const auto nameStart = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart)) {
        return {};
    }
    std::string extension = path.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return extension;
}

std::string EnsureExtension(const std::string& path, const std::string& wanted) {
    return LowerExtension(path) == wanted ? path : path + wanted;
}

}  // namespace pagrovix
