#include "capture/EngineWait.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include <glib.h>
#include <wx/evtloop.h>

namespace pagrovix {
namespace {

// Blocks until a source of the main context has something to dispatch, or for at most limit,
// without dispatching it: the caller dispatches what it lets through.
void WaitForSomethingToDispatch(std::chrono::milliseconds limit) {
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) {
        return;
    }
    gint priority = 0;
    if (!g_main_context_prepare(context, &priority)) {
        std::vector<GPollFD> fds(16);
        gint timeout = 0;
        for (;;) {
            const gint needed =
                g_main_context_query(context, priority, &timeout, fds.data(), gint(fds.size()));
            if (needed <= gint(fds.size())) {
                fds.resize(std::size_t(needed));
                break;
            }
            fds.resize(std::size_t(needed));
        }
        const long most = std::min<long long>(limit.count(), INT_MAX);
        g_poll(fds.data(), guint(fds.size()),
               timeout < 0 ? int(most) : int(std::min<long>(timeout, most)));
        g_main_context_check(context, priority, fds.data(), gint(fds.size()));
    }
    g_main_context_release(context);
}

}  // namespace

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
        // The engine answers from another process: sleep until it, a timer or anything else
        // the loop watches has news, or the time is up.
        WaitForSomethingToDispatch(std::chrono::ceil<std::chrono::milliseconds>(std::max(
            end - std::chrono::steady_clock::now(), std::chrono::steady_clock::duration{})));
    }
}

}  // namespace pagrovix
