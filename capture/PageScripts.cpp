#include "capture/PageScripts.h"

namespace pagrovix {

std::string ScrollScript(int x, int y) {
    // "instant" overrides a page's smooth scrolling, so the position holds at once.
    return "window.scrollTo({left: " + std::to_string(x) + ", top: " + std::to_string(y) +
           ", behavior: 'instant'}); [scrollX, scrollY]";
}

}  // namespace pagrovix
