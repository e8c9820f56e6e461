#pragma once

#include <memory>
#include <string>

#include <sys/types.h>

namespace pagrovix {

// An X server of the command's own, for machines with no display: Xvfb picks a free display
// number, DISPLAY points at it while the object lives, and the server is stopped with it. The
// server also ends when this process dies, however it dies.
class PrivateDisplay {
public:
    // Starts the server; throws Error when it cannot be started.
    explicit PrivateDisplay(const std::string& server = "Xvfb");
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // A private server when DISPLAY names no display, else nothing. The command's view is an X
    // window, so a Wayland session without X does not count.
    static std::unique_ptr<PrivateDisplay> StartIfNeeded();

    const std::string& Name() const { return name_; }
    pid_t ServerProcess() const { return pid_; }

private:
    void Stop();

    pid_t pid_ = -1;
    std::string name_;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
};

}  // namespace pagrovix
