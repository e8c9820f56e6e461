#pragma once

#include <optional>
#include <string>

namespace pagrovix {

// The file formats the command writes; the output file's extension chooses one.
enum class OutputFormat { Png, Jpeg, Bmp };

// ".png" -> Png, ".jpg" and ".jpeg" -> Jpeg, ".bmp" -> Bmp, in any letter case; nothing for any
// other extension or none.
std::optional<OutputFormat> FormatForPath(const std::string& path);

// "PNG", "JPEG" or "BMP", for messages.
const char* FormatName(OutputFormat format);

// ".png", ".jpg" or ".bmp": the extension of a file the command names itself.
const char* FormatExtension(OutputFormat format);

}  // namespace pagrovix
