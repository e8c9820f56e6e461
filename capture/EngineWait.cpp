#include "capture/EngineWait.h"

#include <cstdio>
#include <thread>

#include <wx/evtloop.h>

namespace pagrovix {

void ProcessEngineEvents() {
    constexpr long kAllButInput = wxEVT_CATEGORY_ALL & ~wxEVT_CATEGORY_USER_INPUT;
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        loop->YieldFor(kAllButInput);
    } else {
        wxEventLoop temporary;
        temporary.YieldFor(kAllButInput);
    }
}

std::string SecondsText(std::chrono::milliseconds limit) {
    const double seconds = double(limit.count()) / 1000.0;
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return std::string(text) + (seconds == 1.0 ? " second" : " seconds");
}

bool WaitForEngine(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        ProcessEngineEvents();
        if (done()) {
            return true;
        }
        // The engine answers from another process; a short nap keeps this loop off the CPU.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

}  // namespace pagrovix
