#include "shot/PrivateDisplay.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

bool ProcessExists(pid_t pid) {
    return kill(pid, 0) == 0 || errno != ESRCH;
}

bool EndsWithin(pid_t pid, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (!ProcessExists(pid)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Sets or clears an environment variable for one test and puts it back afterwards.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvironmentScope() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PrivateDisplay, ServesADisplayWhileItLivesAndStopsTheServerAfterwards) {
    EnvironmentScope display("DISPLAY", nullptr);
    EnvironmentScope wayland("WAYLAND_DISPLAY", "wayland-0");
    pid_t server = -1;
    {
        const auto privateDisplay = PrivateDisplay::StartIfNeeded();
        ASSERT_TRUE(privateDisplay);
        server = privateDisplay->ServerProcess();
        const std::string name = privateDisplay->Name();
        ASSERT_EQ(name.rfind(':', 0), 0u);
        EXPECT_EQ(std::getenv("DISPLAY"), name);
        EXPECT_TRUE(ProcessExists(server));
        // The server takes connections on its socket once it has named its display.
        EXPECT_TRUE(std::filesystem::exists("/tmp/.X11-unix/X" + name.substr(1)));
    }
    EXPECT_FALSE(ProcessExists(server));
    EXPECT_EQ(std::getenv("DISPLAY"), nullptr);
}

TEST(PrivateDisplay, TakesOverTheLaunchersServerStopsItUnusedAndLeavesOthersAlone) {
    EnvironmentScope display("DISPLAY", nullptr);
    const auto launch = [] {
        const StartingServer server = LaunchServer("Xvfb", true);
        setenv(kStartedServerVariable,
               (std::to_string(server.pid) + " " + std::to_string(server.numberPipe)).c_str(), 1);
        return server.pid;
    };
    const pid_t used = launch();
    {
        const auto privateDisplay = PrivateDisplay::StartIfNeeded(LaunchedServer::Take());
        ASSERT_TRUE(privateDisplay);
        EXPECT_EQ(privateDisplay->ServerProcess(), used);
        EXPECT_EQ(std::getenv(kStartedServerVariable), nullptr) << "page processes never see it";
    }
    EXPECT_FALSE(ProcessExists(used));
    // A run that ends before it needs the display stops and reaps the server itself.
    const pid_t unused = launch();
    LaunchedServer::Take();
    EXPECT_FALSE(ProcessExists(unused));
    // A process of another's, named by mistake or on purpose, is left alone.
    const pid_t stranger = getppid();
    EnvironmentScope told(kStartedServerVariable, (std::to_string(stranger) + " 0").c_str());
    LaunchedServer notOurs = LaunchedServer::Take();
    EXPECT_EQ(notOurs.Process(), -1);
    const auto privateDisplay = PrivateDisplay::StartIfNeeded(std::move(notOurs));
    ASSERT_TRUE(privateDisplay);
    EXPECT_TRUE(ProcessExists(stranger));
}

TEST(PrivateDisplay, NothingStartsWhenADisplayIsSet) {
    EnvironmentScope display("DISPLAY", ":12345");
    EXPECT_FALSE(PrivateDisplay::StartIfNeeded());
    EXPECT_STREQ(std::getenv("DISPLAY"), ":12345");
}

TEST(PrivateDisplay, AMissingServerIsAClearError) {
    try {
        PrivateDisplay display("pagrovix-no-such-x-server");
        FAIL() << "started";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("is not installed"), std::string::npos)
            << error.what();
    }
}

TEST(PrivateDisplay, TheServerEndsWhenTheProcessThatStartedItIsKilled) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        unsetenv("DISPLAY");
        try {
            PrivateDisplay display;
            const pid_t server = display.ServerProcess();
            [[maybe_unused]] auto written = write(fds[1], &server, sizeof server);
            pause();  // killed below, so no destructor stops the server
        } catch (...) {
        }
        _exit(1);
    }
    close(fds[1]);
    pid_t server = -1;
    const bool received = read(fds[0], &server, sizeof server) == sizeof server;
    close(fds[0]);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(received);
    // The server is the killed child's child; it is reparented, so it cannot be waited for here.
    EXPECT_TRUE(EndsWithin(server, std::chrono::seconds(10)));
}

}  // namespace
}  // namespace pagrovix
