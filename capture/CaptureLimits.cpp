#include "capture/CaptureLimits.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "capture/CapturePlan.h"
#include "imaging/Error.h"

namespace pagrovix {

std::uint64_t CaptureBytes(int width, int height, int paintedWidth, int paintedHeight) {
    const std::uint64_t page = std::uint64_t(width) * std::uint64_t(height) * 3;
    const std::uint64_t painted = std::uint64_t(paintedWidth) * std::uint64_t(paintedHeight) * 4;
    return page + painted;
}

void CheckPageWidth(int width, int scale) {
    const int widest = MaxViewSide / std::max(1, scale);
    if (width > widest) {
        throw Error("The page is " + std::to_string(width) +
                    " pixels wide: the browser can paint pages at most " + std::to_string(widest) +
                    " pixels wide, so it cannot be captured.");
    }
}

void CheckCaptureMemory(int width, int height, std::uint64_t neededBytes,
                        std::uint64_t availableBytes) {
    if (neededBytes <= availableBytes) {
        return;
    }
    constexpr std::uint64_t kMegabyte = 1024 * 1024;
    throw Error("The page is too large to capture: " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels need " +
                std::to_string((neededBytes + kMegabyte - 1) / kMegabyte) +
                " MB of memory, but only " + std::to_string(availableBytes / kMegabyte) +
                " MB are available.");
}

std::optional<std::uint64_t> ParseAvailableMemory(const std::string& meminfo) {
    std::istringstream lines(meminfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t kilobytes = 0;
        std::string unit;
        if (fields >> name >> kilobytes >> unit && name == "MemAvailable:" && unit == "kB") {
            return kilobytes * 1024;
        }
    }
    return std::nullopt;
}

std::uint64_t AvailableMemory() {
    std::ifstream file("/proc/meminfo");
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    return ParseAvailableMemory(text).value_or(std::numeric_limits<std::uint64_t>::max());
}

}  // namespace pagrovix
