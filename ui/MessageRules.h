#pragma once

#include <string>

namespace pagrovix {

// Message-box style bits, as the program's message boxes take them.
namespace MessageFlags {
constexpr long Ok = 0x00;
constexpr long OkCancel = 0x01;
constexpr long YesNo = 0x04;
constexpr long IconError = 0x10;
constexpr long IconQuestion = 0x20;
constexpr long IconWarning = 0x30;
constexpr long IconInformation = 0x40;
}  // namespace MessageFlags

// What a message box returns: the button that closed it.
namespace MessageResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace MessageResult

// A caption of exactly one NUL character stands for "no caption of its own": the box then shows
// the application title. Every other caption, the empty one included, is shown as it is.
inline const std::string kNoCaption(1, '\0');

// The caption MessageBoxByIcon shows for these flags; the first matching icon wins.
std::string CaptionForIcon(long flags, const std::string& applicationTitle);

// The caption MessageBoxCaptioned shows: the application title for kNoCaption, else caption.
std::string ResolveCaption(const std::string& caption, const std::string& applicationTitle);

// The text of the default error display: a full stop is added when the last character sorts
// after '.', so "Stream write error" ends with one and "Failed!" or "x." stay as they are.
std::string WithFullStop(std::string text);

}  // namespace pagrovix
