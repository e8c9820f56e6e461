#include "about/AboutLayout.h"

namespace pagrovix {

int CentredLeft(int clientWidth, int width) {
    return (clientWidth - width) / 2;
}

int IconLeftOfTitle(int titleLeft, int iconWidth) {
    return titleLeft - (iconWidth + 10);
}

int LinkLeft(int designedLeft, int captionRight) {
    constexpr int kGap = 4;
    return designedLeft > captionRight + kGap ? designedLeft : captionRight + kGap;
}

std::string VersionLine(const std::string& version) {
    return "Version " + version;
}

std::string CopyrightLine(const std::string& year) {
    return "Copyright \u00A9 " + year + " Qorvan Software";
}

}  // namespace pagrovix
