#include "tests/imaging/ImagingTestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "imaging/Error.h"

namespace pagrovix::test {

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/pagrovix-imaging-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bitmap24 PatternBitmap(int width, int height) {
    Bitmap24 bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        auto row = bitmap.Row(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = std::uint8_t(x * 7 + y);        // blue
            row[3 * x + 1] = std::uint8_t(y * 13 + 5);   // green
            row[3 * x + 2] = std::uint8_t(x * 31 + 90);  // red
        }
    }
    return bitmap;
}

Bitmap24 NoiseBitmap(int width, int height, std::uint32_t seed) {
    Bitmap24 bitmap(width, height);
    std::uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        for (auto& byte : bitmap.Row(y)) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = std::uint8_t(state >> 11);
        }
    }
    return bitmap;
}

std::string ErrorInChild(const std::function<void()>& body) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return "pipe failed";
    }
    const pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return "fork failed";
    }
    if (child == 0) {
        close(pipeEnds[0]);
        const std::string message = ErrorOf(body);
        [[maybe_unused]] auto ignored = write(pipeEnds[1], message.data(), message.size());
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string message;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        message.append(buffer, std::size_t(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "child failed";
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace pagrovix::test
