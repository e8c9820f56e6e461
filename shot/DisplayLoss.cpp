#include "shot/DisplayLoss.h"

#include <cstdlib>
#include <exception>
#include <utility>

#include <X11/Xlib.h>
#include <unistd.h>

namespace pagrovix {
namespace {

std::FILE* errorStream = nullptr;
std::function<void()> windUp;

int OnDisplayLost(Display*) {
    const char* name = std::getenv("DISPLAY");
    std::fprintf(errorStream ? errorStream : stderr,
                 "pagrovix-shot: the X server of display \"%s\" went away; every page not "
                 "captured by then fails\n",
                 name ? name : "");
    // Nothing may return to the toolkit: it has no display left to work with.
    if (auto action = std::exchange(windUp, nullptr)) {
        try {
            action();
        } catch (const std::exception& error) {
            std::fprintf(errorStream ? errorStream : stderr, "pagrovix-shot: %s\n", error.what());
        }
    }
    std::fflush(nullptr);
    _exit(1);
}

}  // namespace

void WatchForDisplayLoss(std::FILE* errors) {
    errorStream = errors;
    XSetIOErrorHandler(OnDisplayLost);
}

DisplayLossWindUp::DisplayLossWindUp(std::function<void()> action) {
    windUp = std::move(action);
}

DisplayLossWindUp::~DisplayLossWindUp() {
    windUp = nullptr;
}

}  // namespace pagrovix
