#pragma once

#include <optional>
#include <string>

#include "imaging/ImageFormat.h"

namespace pagrovix {

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

// "Save As..." writes only the two formats its dialog offers: ".jpg" is JPEG, ".png" is PNG, in
// any letter case, and any other extension writes nothing.
std::optional<ImageFormat> SaveAsFormatForPath(const std::string& path);

}  // namespace pagrovix
