#include "imaging/ImageFormat.h"

#include "imaging/FileNames.h"
#include "imaging/ImageWriters.h"

namespace pagrovix {

std::optional<ImageFormat> FormatForPath(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".png") {
        return ImageFormat::Png;
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return ImageFormat::Jpeg;
    }
    if (extension == ".bmp") {
        return ImageFormat::Bmp;
    }
    if (extension == ".webp") {
        return ImageFormat::Webp;
    }
    return std::nullopt;
}

const char* FormatExtension(ImageFormat format) {
    switch (format) {
        case ImageFormat::Png:
            return ".png";
        case ImageFormat::Jpeg:
            return ".jpg";
        case ImageFormat::Bmp:
            return ".bmp";
        case ImageFormat::Webp:
            return ".webp";
    }
    return "";
}

void WriteImageFile(const Bitmap24& bitmap, const std::string& path, ImageFormat format,
                    int setting) {
    switch (format) {
        case ImageFormat::Png:
            WritePngFile(bitmap, path, setting);
            break;
        case ImageFormat::Jpeg:
            WriteJpegFile(bitmap, path, setting);
            break;
        case ImageFormat::Bmp:
            WriteBmpFile(bitmap, path);
            break;
        case ImageFormat::Webp:
            WriteWebpFile(bitmap, path, setting);
            break;
    }
}

}  // namespace pagrovix
