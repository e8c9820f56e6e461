#pragma once

#include <optional>
#include <string>

#include "imaging/Bitmap24.h"

namespace pagrovix {

enum class ImageFormat { Bmp, Jpeg, Png };

// A quick save of the Snapshot window: its dialog filter, the extension it ensures, the format
// and the fixed setting (JPEG quality or PNG level; none for BMP).
struct QuickSaveFormat {
    const char* filter;
    const char* extension;
    ImageFormat format;
    int setting;
};
inline constexpr QuickSaveFormat kQuickSaveBmp{"*.BMP|*.bmp", ".bmp", ImageFormat::Bmp, 0};
inline constexpr QuickSaveFormat kQuickSaveJpeg{"*.JPG|*.jpg", ".jpg", ImageFormat::Jpeg, 80};
inline constexpr QuickSaveFormat kQuickSavePng{"*.PNG|*.png", ".png", ImageFormat::Png, 9};

// "Save As..." picks the writer by the path's extension in any letter case: ".jpg" is JPEG,
// ".png" is PNG, and any other writes nothing.
std::optional<ImageFormat> FormatForPath(const std::string& path);

// Writes the whole bitmap to path in the format; setting is the JPEG quality or PNG level.
void WriteImageFile(const Bitmap24& bitmap, const std::string& path, ImageFormat format,
                    int setting);

}  // namespace pagrovix
