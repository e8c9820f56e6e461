#pragma once

#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap24.h"

namespace pagrovix::test {

struct CommandResult {
    int status = -1;  // the exit status, or -1 when the command did not exit normally
    std::string out;
    std::string err;  // with a terminal, everything the terminal received
    // Processes the run started that were still there some seconds after it ended.
    std::vector<std::string> leftovers;
};

struct RunSettings {
    // The command gets the display the tests run on; otherwise DISPLAY is unset, so every run
    // starts an X server of its own.
    bool keepDisplay = false;
    // stderr (and stdout) is a terminal instead of a pipe.
    bool terminal = false;
    std::string workingFolder;
    // NAME=value settings that replace the test's own; NAME= alone removes the variable.
    std::vector<std::string> environment;
    // Runs beside the command, on a thread of its own, with the command's process id.
    std::function<void(int pid)> whileRunning;
};

// Runs the built pagrovix-shot with arguments and waits for it.
CommandResult RunShot(const std::vector<std::string>& arguments, const RunSettings& settings = {});

// Whether a running process has text in its command line.
bool AnyProcessMentions(const std::string& text);

// Independent decoders: a BMP read by hand, a JPEG read with libjpeg.
Bitmap24 ReadBmpFile(const std::string& path);
Bitmap24 ReadJpegFile(const std::string& path);

// A web server on 127.0.0.1 for folder (test_server.py tells its paths), stopped with the
// object. Given a certificate and its key (PEM files), it answers over TLS. What it received is
// kept outside the folder.
class TestServer {
public:
    explicit TestServer(const std::string& folder, const std::string& certificate = {},
                        const std::string& key = {});
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;
    std::string Url(const std::string& path) const;
    int Port() const { return port_; }
    // Every request that reached the server so far: its request line, then its headers.
    std::string Received() const;

private:
    std::string log_;
    bool tls_ = false;
    int pid_ = -1;
    int port_ = 0;
};

}  // namespace pagrovix::test
