#pragma once

#include <optional>
#include <string>

#include "imaging/Bitmap24.h"

namespace pagrovix {

// The file formats both programs write.
enum class ImageFormat { Png, Jpeg, Bmp, Webp };

// ".png" -> Png, ".jpg" and ".jpeg" -> Jpeg, ".bmp" -> Bmp, ".webp" -> Webp, in any letter case; nothing for any
// other extension or none.
std::optional<ImageFormat> FormatForPath(const std::string& path);
// Those extensions, for messages.
inline constexpr const char* kKnownExtensions = ".png, .jpg, .jpeg, .bmp or .webp";

// ".png", ".jpg", ".bmp" or ".webp": the extension of a file named after its format.
const char* FormatExtension(ImageFormat format);

// Replaces the file at path with the whole bitmap in the format; setting is the JPEG quality, the
// PNG level or the WebP quality (kWebpLossless for lossless) and is not used for BMP. Throws Error as the writers do.
void WriteImageFile(const Bitmap24& bitmap, const std::string& path, ImageFormat format,
                    int setting);

}  // namespace pagrovix
