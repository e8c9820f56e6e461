#include "shot/TemporaryProfile.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pagrovix {
namespace {

bool EmptiedWithin(const std::filesystem::path& folder, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::is_empty(folder)) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(TemporaryProfile, ACommandCutOffLeavesNoFolderAndItsOutputEndsWithIt) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("profile-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t command = fork();
    ASSERT_GE(command, 0);
    if (command == 0) {
        dup2(output[1], STDOUT_FILENO);
        dup2(output[1], STDERR_FILENO);
        close(output[0]);
        close(output[1]);
        setenv("TMPDIR", folder.c_str(), 1);
        // Cut off with its profile in place: no destructor removes the folder.
        new TemporaryProfile;
        _exit(std::filesystem::is_empty(folder) ? 1 : 0);
    }
    close(output[1]);
    int status = 0;
    ASSERT_EQ(waitpid(command, &status, 0), command);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no folder was made";

    // Whoever reads the command's output sees its end as the command ends.
    fcntl(output[0], F_SETFL, O_NONBLOCK);
    char byte = 0;
    EXPECT_EQ(read(output[0], &byte, 1), 0);
    close(output[0]);

    EXPECT_TRUE(EmptiedWithin(folder, std::chrono::seconds(10)));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pagrovix
