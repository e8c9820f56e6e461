// pagrovix-shot as it is run: the program proper loads close to two hundred libraries, which takes
// longer than a private X server takes to start. This small one starts the server first, when one
// will be needed, and then becomes the program, which finds the server coming up.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

#include "shot/PrivateDisplay.h"

namespace {

// Whether the run will want a display of its own: none is set, and the command asks for more
// than its help or version. A server that turns out not to be needed is stopped by the program.
bool WantsPrivateServer(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    if ((display && *display) || argc < 2) {
        return false;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            return false;
        }
    }
    return true;
}

// The program proper: beside this one in the build folder, or where it is installed.
std::filesystem::path ProgramPath() {
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    for (const std::filesystem::path& candidate :
         {folder / PAGROVIX_SHOT_PROGRAM_NAME,
          folder / PAGROVIX_SHOT_PROGRAM_FOLDER / PAGROVIX_SHOT_PROGRAM_NAME}) {
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate.lexically_normal();
        }
    }
    return (folder / PAGROVIX_SHOT_PROGRAM_FOLDER / PAGROVIX_SHOT_PROGRAM_NAME).lexically_normal();
}

}  // namespace

int main(int argc, char** argv) {
    if (WantsPrivateServer(argc, argv)) {
        try {
            const pagrovix::StartingServer server = pagrovix::LaunchServer(pagrovix::kServerProgram, true);
            const std::string text =
                std::to_string(server.pid) + " " + std::to_string(server.numberPipe);
            setenv(pagrovix::kStartedServerVariable, text.c_str(), 1);
        } catch (const std::exception&) {
            // The program tries once more itself, and says why it cannot.
        }
    }
    const std::filesystem::path program = ProgramPath();
    execv(program.c_str(), argv);
    std::fprintf(stderr, "pagrovix-shot: cannot run \"%s\": %s\n", program.c_str(),
                 std::strerror(errno));
    return 127;
}
