#include "snapshot/SaveFormats.h"

#include "imaging/FileNames.h"

namespace pagrovix {

std::optional<ImageFormat> FormatForPath(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".jpg") {
        return ImageFormat::Jpeg;
    }
    if (extension == ".png") {
        return ImageFormat::Png;
    }
    return std::nullopt;
}

}  // namespace pagrovix
