#pragma once

#include <memory>
#include <string>

#include <sys/types.h>

namespace pagrovix {

// The X server program the command runs for a display of its own.
inline constexpr const char* kServerProgram = "Xvfb";

// An X server on its way up: its process, and the pipe where it writes its display number once it
// takes connections.
struct StartingServer {
    pid_t pid = -1;
    int numberPipe = -1;
};

// Starts the server program without waiting for it; the server ends when the thread that called
// this ends. With keepAcrossExec, the pipe stays open in a program this one becomes by exec.
// Throws Error when it cannot be started.
StartingServer LaunchServer(const std::string& server, bool keepAcrossExec = false);

// Where a program that started the server (the command's launcher) tells the program it becomes
// of it, as "PID PIPE".
inline constexpr const char* kStartedServerVariable = "PAGROVIX_SHOT_STARTED_SERVER";

// The server the launcher started for this program, until a PrivateDisplay takes it over; one that
// nothing takes over (a usage error, a run with nothing to do) is stopped with this.
class LaunchedServer {
public:
    LaunchedServer() = default;
    // The server kStartedServerVariable names, when it is a child of this process and its pipe is
    // open here; the variable is removed, so that no process started from here takes the server
    // for its own.
    static LaunchedServer Take();
    LaunchedServer(LaunchedServer&& other) noexcept;
    LaunchedServer& operator=(LaunchedServer&&) = delete;
    ~LaunchedServer();

    pid_t Process() const { return server_.pid; }

private:
    friend class PrivateDisplay;
    StartingServer server_;
};

// An X server of the command's own, for machines with no display: Xvfb picks a free display
// number, DISPLAY points at it while the object lives, and the server is stopped with it. The
// server also ends when this process dies, however it dies.
class PrivateDisplay {
public:
    // Starts the server; throws Error when it cannot be started.
    explicit PrivateDisplay(const std::string& server = kServerProgram);
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // A private server when DISPLAY names no display, else nothing: the one the launcher started
    // already when there is one, so that it came up while this program loaded. The command's
    // view is an X window, so a Wayland session without X does not count.
    static std::unique_ptr<PrivateDisplay> StartIfNeeded(LaunchedServer launched = {});

    const std::string& Name() const { return name_; }
    pid_t ServerProcess() const { return pid_; }

private:
    // Waits until server, as launched, takes connections.
    PrivateDisplay(StartingServer starting, const std::string& server);
    void Stop();

    pid_t pid_ = -1;
    std::string name_;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
};

}  // namespace pagrovix
