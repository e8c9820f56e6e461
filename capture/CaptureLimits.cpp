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
                        std::uint64_t availableBytes, const std::string& what) {
    if (neededBytes <= availableBytes) {
        return;
    }
    constexpr std::uint64_t kMegabyte = 1024 * 1024;
    throw MemoryShortage(
        what + ": " + std::to_string(width) + " x " + std::to_string(height) + " pixels need " +
        std::to_string((neededBytes + kMegabyte - 1) / kMegabyte) + " MB of memory, but only " +
        std::to_string(availableBytes / kMegabyte) + " MB are available.");
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

namespace {

std::string FileText(const std::string& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::optional<std::uint64_t> Number(const std::string& text) {
    std::istringstream in(text);
    std::uint64_t value = 0;
    if (in >> value) {
        return value;
    }
    return std::nullopt;
}

// A field of a memory.stat text.
std::uint64_t StatField(const std::string& stat, const std::string& wanted) {
    std::istringstream lines(stat);
    std::string name;
    std::uint64_t value = 0;
    while (lines >> name >> value) {
        if (name == wanted) {
            return value;
        }
    }
    return 0;
}

}  // namespace

std::optional<std::uint64_t> CgroupHeadroom(const std::string& limit, const std::string& usage,
                                            const std::string& stat) {
    // Version 1 writes "no limit" as the largest page-aligned 63-bit number.
    constexpr std::uint64_t kNoLimit = std::uint64_t(1) << 62;
    const std::optional<std::uint64_t> most = Number(limit);
    const std::optional<std::uint64_t> used = Number(usage);
    if (!most || *most >= kNoLimit || !used) {
        return std::nullopt;
    }
    // Version 2 names the page cache inactive_file; version 1 counts it for the whole subtree as
    // total_inactive_file.
    const std::uint64_t droppable =
        std::max(StatField(stat, "total_inactive_file"), StatField(stat, "inactive_file"));
    const std::uint64_t held = *used - std::min(*used, droppable);
    return *most - std::min(*most, held);
}

std::vector<CgroupFolder> CgroupFolders(const std::string& procSelfCgroup,
                                        const std::string& mountRoot) {
    std::vector<CgroupFolder> folders;
    std::istringstream lines(procSelfCgroup);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string controllers = line.substr(first + 1, second - first - 1);
        std::string path = line.substr(second + 1);
        const bool version2 = line.compare(0, first, "0") == 0 && controllers.empty();
        bool memory = false;
        std::istringstream names(controllers);
        for (std::string name; std::getline(names, name, ',');) {
            memory = memory || name == "memory";
        }
        if (!version2 && !memory) {
            continue;
        }
        const std::string root = version2 ? mountRoot : mountRoot + "/memory";
        // Inside a container the group's own folder is often the mount itself: the parents are
        // walked up to it, and it counts too.
        for (;;) {
            while (path.size() > 1 && path.back() == '/') {
                path.pop_back();
            }
            folders.push_back({path == "/" ? root : root + path, version2});
            if (path == "/" || path.empty()) {
                break;
            }
            path.erase(path.rfind('/'));
            if (path.empty()) {
                path = "/";
            }
        }
    }
    return folders;
}

std::uint64_t AvailableMemory() {
    std::uint64_t available = ParseAvailableMemory(FileText("/proc/meminfo"))
                                  .value_or(std::numeric_limits<std::uint64_t>::max());
    // A container's or a service's limit binds long before the machine runs out, and going over
    // it gets the process killed without a word.
    for (const CgroupFolder& folder :
         CgroupFolders(FileText("/proc/self/cgroup"), "/sys/fs/cgroup")) {
        const std::string base = folder.path + "/memory.";
        const std::optional<std::uint64_t> headroom =
            folder.version2
                ? CgroupHeadroom(FileText(base + "max"), FileText(base + "current"),
                                 FileText(base + "stat"))
                : CgroupHeadroom(FileText(base + "limit_in_bytes"),
                                 FileText(base + "usage_in_bytes"), FileText(base + "stat"));
        if (headroom) {
            available = std::min(available, *headroom);
        }
    }
    return available;
}

}  // namespace pagrovix
