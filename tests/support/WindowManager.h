#pragma once

#include <sys/types.h>

namespace pagrovix::test {

// A real window manager (openbox) on the test's display for as long as the object lives: frames,
// stacking, focus and the repaint after a window is uncovered behave as on a person's desktop.
// Throws std::runtime_error when openbox cannot be started or does not take the screen. Start it
// before the process shows its first window (see pagrovix_gui_test in tests/CMakeLists.txt).
class WindowManager {
public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

private:
    pid_t pid_ = -1;
};

}  // namespace pagrovix::test
