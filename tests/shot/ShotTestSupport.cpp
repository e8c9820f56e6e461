#include "tests/shot/ShotTestSupport.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <jpeglib.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pagrovix::test {
namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The command's processes, and whatever they start, inherit this variable; a process that still
// has it after the run was left behind.
std::string NewMark() {
    static std::atomic<int> counter{0};
    return "pagrovix-shot-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

std::vector<std::string> ProcessesWithMark(const std::string& mark) {
    std::vector<std::string> found;
    const std::string wanted = "PAGROVIX_SHOT_TEST_MARK=" + mark;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const std::string environment = ReadWholeFile(entry.path().string() + "/environ");
        std::size_t start = 0;
        while (start < environment.size()) {
            const std::size_t end = environment.find('\0', start);
            const std::size_t length =
                (end == std::string::npos ? environment.size() : end) - start;
            if (environment.compare(start, length, wanted) == 0) {
                std::string command = ReadWholeFile(entry.path().string() + "/comm");
                if (!command.empty() && command.back() == '\n') {
                    command.pop_back();
                }
                found.push_back(name + " " + command);
                break;
            }
            start += length + 1;
        }
    }
    return found;
}

std::vector<std::string> Leftovers(const std::string& mark) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    for (;;) {
        std::vector<std::string> found = ProcessesWithMark(mark);
        if (found.empty() || std::chrono::steady_clock::now() >= end) {
            return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<std::string> Environment(const RunSettings& settings, const std::string& mark) {
    std::vector<std::string> variables;
    const auto replaced = [&settings](const std::string& text) {
        for (const std::string& setting : settings.environment) {
            const std::string name = setting.substr(0, setting.find('=') + 1);
            if (text.rfind(name, 0) == 0) {
                return true;
            }
        }
        return false;
    };
    for (char** variable = environ; *variable; ++variable) {
        const std::string text = *variable;
        if (replaced(text)) {
            continue;
        }
        const bool display =
            text.rfind("DISPLAY=", 0) == 0 || text.rfind("WAYLAND_DISPLAY=", 0) == 0;
        if ((display && !settings.keepDisplay) || text.rfind("PAGROVIX_SHOT_TEST_MARK=", 0) == 0) {
            continue;
        }
        variables.push_back(text);
    }
    for (const std::string& setting : settings.environment) {
        if (setting.back() != '=') {
            variables.push_back(setting);
        }
    }
    variables.push_back("PAGROVIX_SHOT_TEST_MARK=" + mark);
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Reads every descriptor to its end; a terminal's end shows as EIO.
void Drain(std::vector<std::pair<int, std::string*>> sources) {
    while (!sources.empty()) {
        std::vector<pollfd> waits;
        for (const auto& source : sources) {
            waits.push_back({source.first, POLLIN, 0});
        }
        if (poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (std::size_t i = waits.size(); i-- > 0;) {
            if (!waits[i].revents) {
                continue;
            }
            char buffer[65536];
            const ssize_t count = read(sources[i].first, buffer, sizeof buffer);
            if (count > 0) {
                sources[i].second->append(buffer, std::size_t(count));
            } else if (count == 0 || errno != EINTR) {
                close(sources[i].first);
                sources.erase(sources.begin() + long(i));
            }
        }
    }
}

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

std::uint32_t Little32(const std::string& bytes, std::size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) |
           std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}

}  // namespace

CommandResult RunShot(const std::vector<std::string>& arguments, const RunSettings& settings) {
    const std::string mark = NewMark();
    std::vector<std::string> argumentTexts{PAGROVIX_SHOT_PROGRAM};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts = Environment(settings, mark);
    std::vector<char*> argv = Pointers(argumentTexts);
    std::vector<char*> envp = Pointers(environmentTexts);

    CommandResult result;
    pid_t child = -1;
    if (settings.terminal) {
        int terminal = -1;
        child = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            if (!settings.workingFolder.empty() && chdir(settings.workingFolder.c_str()) != 0) {
                _exit(126);
            }
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        if (child < 0) {
            throw std::runtime_error("forkpty failed");
        }
        Drain({{terminal, &result.err}});
    } else {
        int out[2], err[2];
        if (pipe(out) != 0 || pipe(err) != 0) {
            throw std::runtime_error("pipe failed");
        }
        child = fork();
        if (child == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            close(out[0]);
            close(err[0]);
            close(out[1]);
            close(err[1]);
            if (!settings.workingFolder.empty() && chdir(settings.workingFolder.c_str()) != 0) {
                _exit(126);
            }
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        if (child < 0) {
            throw std::runtime_error("fork failed");
        }
        close(out[1]);
        close(err[1]);
        std::thread beside;
        if (settings.whileRunning) {
            beside = std::thread(settings.whileRunning, child);
        }
        Drain({{out[0], &result.out}, {err[0], &result.err}});
        if (beside.joinable()) {
            beside.join();
        }
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.leftovers = Leftovers(mark);
    return result;
}

bool AnyProcessMentions(const std::string& text) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string commandLine = ReadWholeFile(entry.path().string() + "/cmdline");
        if (commandLine.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

Bitmap24 ReadBmpFile(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        throw std::runtime_error(path + " is not a BMP file");
    }
    const std::uint32_t offset = Little32(bytes, 10);
    const auto width = std::int32_t(Little32(bytes, 18));
    const auto height = std::int32_t(Little32(bytes, 22));
    const unsigned bits = std::uint8_t(bytes[28]) | std::uint8_t(bytes[29]) << 8;
    if (Little32(bytes, 14) < 40 || bits != 24 || Little32(bytes, 30) != 0 || width <= 0 ||
        height == 0) {
        throw std::runtime_error(path + " is not an uncompressed 24-bit BMP file");
    }
    const int rows = height < 0 ? -height : height;
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    if (bytes.size() < offset + stride * std::size_t(rows)) {
        throw std::runtime_error(path + " is too short");
    }
    Bitmap24 picture(width, rows);
    for (int y = 0; y < rows; ++y) {
        // Rows are stored bottom-up unless the height is negative.
        const int stored = height > 0 ? rows - 1 - y : y;
        std::memcpy(picture.Row(y).data(), bytes.data() + offset + stride * std::size_t(stored),
                    picture.Stride());
    }
    return picture;
}

Bitmap24 ReadJpegFile(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        throw std::runtime_error("cannot open " + path);
    }
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegError;
    Bitmap24 picture;
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        throw std::runtime_error("libjpeg cannot read " + path);
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file.get());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    picture.SetSize(int(info.output_width), int(info.output_height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.Row(int(info.output_scanline)).data();
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return picture;
}

TestServer::TestServer(const std::string& folder, const std::string& certificate,
                       const std::string& key)
    : log_((std::filesystem::temp_directory_path() / NewMark()).string() + ".log"),
      tls_(!certificate.empty()) {
    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (tls_) {
            execlp("python3", "python3", PAGROVIX_SHOT_TEST_SERVER, folder.c_str(), "--log",
                   log_.c_str(), "--tls", certificate.c_str(), key.c_str(), nullptr);
        } else {
            execlp("python3", "python3", PAGROVIX_SHOT_TEST_SERVER, folder.c_str(), "--log",
                   log_.c_str(), nullptr);
        }
        _exit(127);
    }
    close(out[1]);
    std::string port;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n') {
        port += c;
    }
    close(out[0]);
    port_ = std::atoi(port.c_str());
    if (port_ <= 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("the test web server did not start");
    }
}

TestServer::~TestServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
}

std::string TestServer::Url(const std::string& path) const {
    return (tls_ ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(port_) + "/" +
           path;
}

std::string TestServer::Received() const {
    return ReadWholeFile(log_);
}

}  // namespace pagrovix::test
