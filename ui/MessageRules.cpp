#include "ui/MessageRules.h"

namespace pagrovix {

std::string CaptionForIcon(long flags, const std::string& applicationTitle) {
    if (flags & MessageFlags::IconInformation) {
        return "Information";
    }
    if ((flags & MessageFlags::IconWarning) == MessageFlags::IconWarning) {
        return "Warning";
    }
    if (flags & MessageFlags::IconQuestion) {
        return "Confirm";
    }
    if (flags & MessageFlags::IconError) {
        return "Error";
    }
    return applicationTitle;
}

std::string ResolveCaption(const std::string& caption, const std::string& applicationTitle) {
    return caption == kNoCaption ? applicationTitle : caption;
}

std::string WithFullStop(std::string text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text += '.';
    }
    return text;
}

}  // namespace pagrovix
