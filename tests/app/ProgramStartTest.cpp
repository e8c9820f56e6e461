// The real program, started the way a person starts it.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int status = -1;
    std::string output;
};

// Runs the program with the environment changes in front of it; collects stdout and stderr.
ProgramRun RunProgram(const std::string& environment, const std::string& arguments) {
    const std::string command =
        "env " + environment + " '" PAGROVIX_PROGRAM "' " + arguments + " 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        run.output += buffer;
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

int LineCount(const std::string& text) {
    int lines = 0;
    for (const char c : text) {
        lines += c == '\n';
    }
    return lines;
}

TEST(ProgramStart, WithoutADisplayPrintsOneLineAndExitsWithOne) {
    const ProgramRun run = RunProgram("-u DISPLAY -u WAYLAND_DISPLAY", "http://example.org/");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LineCount(run.output), 1) << run.output;
    EXPECT_NE(run.output.find("DISPLAY"), std::string::npos) << run.output;
}

TEST(ProgramStart, WithADisplayThatDoesNotAnswerPrintsOneLineAndExitsWithOne) {
    const ProgramRun run = RunProgram("-u WAYLAND_DISPLAY DISPLAY=:7319", "");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LineCount(run.output), 1) << run.output;
    EXPECT_NE(run.output.find("\":7319\""), std::string::npos) << run.output;
}

}  // namespace
