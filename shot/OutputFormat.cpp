#include "shot/OutputFormat.h"

#include "imaging/FileNames.h"

namespace pagrovix {

std::optional<OutputFormat> FormatForPath(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".png") {
        return OutputFormat::Png;
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return OutputFormat::Jpeg;
    }
    if (extension == ".bmp") {
        return OutputFormat::Bmp;
    }
    return std::nullopt;
}

const char* FormatName(OutputFormat format) {
    switch (format) {
        case OutputFormat::Png:
            return "PNG";
        case OutputFormat::Jpeg:
            return "JPEG";
        case OutputFormat::Bmp:
            return "BMP";
    }
    return "";
}

const char* FormatExtension(OutputFormat format) {
    switch (format) {
        case OutputFormat::Png:
            return ".png";
        case OutputFormat::Jpeg:
            return ".jpg";
        case OutputFormat::Bmp:
            return ".bmp";
    }
    return "";
}

}  // namespace pagrovix
