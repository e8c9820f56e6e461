#include "shot/StopRequest.h"

#include <csignal>
#include <initializer_list>

#include <glib-unix.h>

namespace pagrovix {
namespace {

volatile std::sig_atomic_t requested = 0;

gboolean OnStopSignal(gpointer signalNumber) {
    requested = 1;
    // The next one of these signals does what it always does.
    std::signal(GPOINTER_TO_INT(signalNumber), SIG_DFL);
    return G_SOURCE_REMOVE;
}

}  // namespace

void InstallStopRequest() {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        g_unix_signal_add(signalNumber, OnStopSignal, GINT_TO_POINTER(signalNumber));
    }
}

bool StopRequested() {
    return requested != 0;
}

}  // namespace pagrovix
