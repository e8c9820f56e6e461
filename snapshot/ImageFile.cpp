#include "imaging/ImageWriters.h"
#include "snapshot/SaveFormats.h"

namespace pagrovix {

// Apart from the format rules, so that code using only the rules does not need the writers.
void WriteImageFile(const Bitmap24& bitmap, const std::string& path, ImageFormat format,
                    int setting) {
    switch (format) {
        case ImageFormat::Bmp:
            WriteBmpFile(bitmap, path);
            break;
        case ImageFormat::Jpeg:
            WriteJpegFile(bitmap, path, setting);
            break;
        case ImageFormat::Png:
            WritePngFile(bitmap, path, setting);
            break;
    }
}

}  // namespace pagrovix
