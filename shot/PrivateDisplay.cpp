#include "shot/PrivateDisplay.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

constexpr int kServerNotFound = 127;
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kStopLimit = std::chrono::seconds(5);

// Waits until process pid has ended or limit has passed, without polling where the system can
// say when it ends; returns whether it ended.
bool WaitForEnd(pid_t pid, std::chrono::milliseconds limit) {
    const int watch = int(syscall(SYS_pidfd_open, pid, 0));
    if (watch >= 0) {
        pollfd ended{watch, POLLIN, 0};
        int ready = 0;
        do {
            ready = poll(&ended, 1, int(limit.count()));
        } while (ready < 0 && errno == EINTR);
        close(watch);
        return ready > 0 && waitpid(pid, nullptr, WNOHANG) == pid;
    }
    const auto end = std::chrono::steady_clock::now() + limit;
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecServer(const char* const* arguments, int displayFd, pid_t parent) {
    // The server must not outlive the command, also when the command is killed.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(1);
    }
    // Out of the command's process group: an interrupt typed at the terminal is the command's to
    // handle, and the command still needs its display while it winds up.
    setpgid(0, 0);
    fcntl(displayFd, F_SETFD, 0);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    execvp(arguments[0], const_cast<char* const*>(arguments));
    _exit(kServerNotFound);
}

// Ends the server: asked first, then told.
void StopServer(pid_t pid) {
    kill(pid, SIGTERM);
    if (!WaitForEnd(pid, kStopLimit)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

}  // namespace

StartingServer LaunchServer(const std::string& server, bool keepAcrossExec) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw Error(std::string("Cannot start a private X server: ") + std::strerror(errno));
    }
    // Keep the server's end clear of the standard streams, which the child points at /dev/null.
    if (fds[1] <= STDERR_FILENO) {
        const int moved = fcntl(fds[1], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        close(fds[1]);
        fds[1] = moved;
        if (moved < 0) {
            close(fds[0]);
            throw Error("Cannot start a private X server: no file descriptor left");
        }
    }
    const std::string fdText = std::to_string(fds[1]);
    // No GLX: the page processes draw WebGL through EGL, which needs nothing of the server, and
    // without it the server starts in half the time and the toolkit loads no GL driver to probe it.
    const char* arguments[] = {
        server.c_str(), "-displayfd", fdText.c_str(), "-screen",    "0",   "1920x1080x24",
        "-nolisten",    "tcp",        "-noreset",     "-extension", "GLX", nullptr};
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        close(fds[0]);
        close(fds[1]);
        throw Error(std::string("Cannot start a private X server: ") + std::strerror(error));
    }
    if (pid == 0) {
        close(fds[0]);
        ExecServer(arguments, fds[1], parent);
    }
    close(fds[1]);
    if (keepAcrossExec) {
        fcntl(fds[0], F_SETFD, 0);
    }
    return {pid, fds[0]};
}

PrivateDisplay::PrivateDisplay(const std::string& server)
    : PrivateDisplay(LaunchServer(server), server) {}

PrivateDisplay::PrivateDisplay(StartingServer starting, const std::string& server)
    : pid_(starting.pid) {
    const int numberPipe = starting.numberPipe;
    // The server writes its display number and a newline once it takes connections.
    std::string number;
    const auto end = std::chrono::steady_clock::now() + kStartLimit;
    bool complete = false;
    while (!complete && std::chrono::steady_clock::now() < end) {
        pollfd readable{numberPipe, POLLIN, 0};
        if (poll(&readable, 1, 100) < 0 && errno != EINTR) {
            break;
        }
        if (!(readable.revents & (POLLIN | POLLHUP))) {
            continue;
        }
        char buffer[32];
        const ssize_t count = read(numberPipe, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        for (ssize_t i = 0; i < count && !complete; ++i) {
            if (buffer[i] == '\n') {
                complete = true;
            } else if (buffer[i] >= '0' && buffer[i] <= '9' && number.size() < 8) {
                number += buffer[i];
            }
        }
    }
    close(numberPipe);
    if (!complete || number.empty()) {
        // A server that could not be run has ended or is about to: give it a moment, so its
        // exit status can tell why.
        int status = 0;
        bool exited = false;
        const auto reaped = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!(exited = waitpid(pid_, &status, WNOHANG) == pid_) &&
               std::chrono::steady_clock::now() < reaped) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (!exited) {
            Stop();
        }
        pid_ = -1;
        if (exited && WIFEXITED(status) && WEXITSTATUS(status) == kServerNotFound) {
            throw Error("Cannot start a private X server: " + server +
                        " is not installed (Debian package xvfb)");
        }
        throw Error("Cannot start a private X server (" + server + ")");
    }
    name_ = ":" + number;
    hadDisplay_ = IsSet("DISPLAY");
    if (hadDisplay_) {
        previousDisplay_ = std::getenv("DISPLAY");
    }
    setenv("DISPLAY", name_.c_str(), 1);
}

PrivateDisplay::~PrivateDisplay() {
    Stop();
    if (hadDisplay_) {
        setenv("DISPLAY", previousDisplay_.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

LaunchedServer LaunchedServer::Take() {
    LaunchedServer launched;
    const char* text = std::getenv(kStartedServerVariable);
    if (!text) {
        return launched;
    }
    int pid = -1, pipe = -1;
    const bool read = std::sscanf(text, "%d %d", &pid, &pipe) == 2;
    unsetenv(kStartedServerVariable);
    siginfo_t state{};
    struct stat pipeState {};
    // Not reaped here: if it has ended, its exit status tells why.
    if (!read || pid <= 0 || waitid(P_PID, id_t(pid), &state, WEXITED | WNOHANG | WNOWAIT) != 0 ||
        fstat(pipe, &pipeState) != 0 || !S_ISFIFO(pipeState.st_mode)) {
        return launched;
    }
    fcntl(pipe, F_SETFD, FD_CLOEXEC);
    launched.server_ = {pid, pipe};
    return launched;
}

LaunchedServer::LaunchedServer(LaunchedServer&& other) noexcept
    : server_(std::exchange(other.server_, {})) {}

LaunchedServer::~LaunchedServer() {
    if (server_.pid > 0) {
        StopServer(server_.pid);
        close(server_.numberPipe);
    }
}

std::unique_ptr<PrivateDisplay> PrivateDisplay::StartIfNeeded(LaunchedServer launched) {
    if (IsSet("DISPLAY")) {
        return nullptr;
    }
    if (launched.server_.pid > 0) {
        return std::unique_ptr<PrivateDisplay>(
            new PrivateDisplay(std::exchange(launched.server_, {}), kServerProgram));
    }
    return std::make_unique<PrivateDisplay>();
}

void PrivateDisplay::Stop() {
    if (pid_ <= 0) {
        return;
    }
    StopServer(pid_);
    pid_ = -1;
}

}  // namespace pagrovix
