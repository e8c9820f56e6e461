#include "shot/TemporaryProfile.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <fcntl.h>
#include <glib.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace pagrovix {
namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

// Starts a small shell that removes folder once this process has ended, however it ends (a second
// Ctrl+C, a lost display, a crash): it waits for the end of a pipe that only this process holds.
// It removes the folder once more a second later, in case an engine process that outlived this
// one still wrote there. Returns the pipe's end, or -1 when no shell could be started.
int StartRemoverAfterExit(const std::string& folder) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    // Nothing else of the command's: a shell holding its output would keep whoever reads it (a
    // pipe, $(...), a script's subprocess) waiting for that second after the command has ended.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own: the terminal's Ctrl+C, meant for the command, does not reach it.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    const char* script =
        "trap '' INT HUP TERM QUIT; while read -r _; do :; done; rm -rf -- \"$1\"; sleep 1; "
        "rm -rf -- \"$1\"";
    const char* arguments[] = {"sh", "-c", script, "sh", folder.c_str(), nullptr};
    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, "/bin/sh", &actions, &attributes, const_cast<char**>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(ends[0]);
    if (failed != 0) {
        close(ends[1]);
        return -1;
    }
    return ends[1];
}

}  // namespace

TemporaryProfile::TemporaryProfile() {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    std::string pattern =
        ((error ? std::filesystem::path("/tmp") : temporary) / "pagrovix-shot-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        return;
    }
    path_ = pattern;
    remover_ = StartRemoverAfterExit(path_);
    // GLib reads these folders once and keeps them for the process: the engine, which takes its
    // folders from GLib here and hands them to its processes, sees the temporary ones. The
    // variables themselves go back at once, so processes started later see the user's own.
    const auto cache = Variable("XDG_CACHE_HOME");
    const auto data = Variable("XDG_DATA_HOME");
    setenv("XDG_CACHE_HOME", (path_ + "/cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (path_ + "/data").c_str(), 1);
    g_get_user_cache_dir();
    g_get_user_data_dir();
    Restore("XDG_CACHE_HOME", cache);
    Restore("XDG_DATA_HOME", data);
}

TemporaryProfile::~TemporaryProfile() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    if (remover_ >= 0) {
        close(remover_);
    }
}

}  // namespace pagrovix
