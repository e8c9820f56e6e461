#include "snapshot/SaveFormats.h"

#include "imaging/FileNames.h"

namespace pagrovix {

std::optional<ImageFormat> SaveAsFormatForPath(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension != ".jpg" && extension != ".png") {
        return std::nullopt;
    }
    return FormatForPath(path);
}

}  // namespace pagrovix
