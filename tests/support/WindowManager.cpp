#include "tests/support/WindowManager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace pagrovix::test {
namespace {

// Whether a window manager holds the screen: it owns the manager selection and has listed the
// hints it supports. The supporting-window property alone is not enough: openbox leaves it on the
// root window when it exits, so it would announce a manager that is gone or not yet up.
bool ManagerRunning(Display* display) {
    const Atom selection = XInternAtom(display, "WM_S0", False);
    if (XGetSelectionOwner(display, selection) == None) {
        return false;
    }
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 1,
                                          False, XA_ATOM, &type, &format, &count, &after, &data);
    const bool running = status == Success && type == XA_ATOM && count == 1;
    if (data) {
        XFree(data);
    }
    return running;
}

}  // namespace

WindowManager::WindowManager() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        throw std::runtime_error("no X display for the window manager");
    }
    char program[] = "openbox";
    char noSession[] = "--sm-disable";
    char* arguments[] = {program, noSession, nullptr};
    // Its notes about menus it does not need would only clutter the test output.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, program, &quiet, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        XCloseDisplay(display);
        throw std::runtime_error("openbox could not be started");
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ManagerRunning(display)) {
        if (std::chrono::steady_clock::now() >= end || waitpid(pid_, nullptr, WNOHANG) == pid_) {
            XCloseDisplay(display);
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            throw std::runtime_error("openbox did not take the screen");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XCloseDisplay(display);
}

WindowManager::~WindowManager() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    // The next manager on this display must not mistake this one's leftovers for itself.
    if (Display* display = XOpenDisplay(nullptr)) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (ManagerRunning(display) && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XCloseDisplay(display);
    }
}

}  // namespace pagrovix::test
