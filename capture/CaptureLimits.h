#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/Error.h"

namespace pagrovix {

// The memory a picture needs is not there now; the one failure that waiting for memory can mend.
class MemoryShortage : public Error {
public:
    using Error::Error;
};

// Bytes a capture holds at its peak: the picture at 3 bytes a pixel and the engine's largest
// painting (paintedWidth x paintedHeight) at 4.
std::uint64_t CaptureBytes(int width, int height, int paintedWidth, int paintedHeight);

// Throws Error when a page of this width, painted at scale device pixels per page pixel, is wider
// than the engine can paint.
void CheckPageWidth(int width, int scale);

// Throws MemoryShortage, before anything is allocated, when a width x height picture needing
// neededBytes does not fit in availableBytes: running out of memory half-way would end the
// program. what starts the message.
void CheckCaptureMemory(int width, int height, std::uint64_t neededBytes,
                        std::uint64_t availableBytes,
                        const std::string& what = "The page is too large to capture");

// The MemAvailable figure of /proc/meminfo text, in bytes; nothing when it is missing.
std::optional<std::uint64_t> ParseAvailableMemory(const std::string& meminfo);

// The memory a control group still lets its processes take, in bytes, from the texts of its
// limit (a number, or "max"), its use and its memory.stat: the limit less the use, page cache that
// can be dropped not counted. Nothing when the group has no limit or the texts say nothing.
std::optional<std::uint64_t> CgroupHeadroom(const std::string& limit, const std::string& usage,
                                            const std::string& stat);

// The folders whose memory limits bind this process, from the text of /proc/self/cgroup and the
// folder where the control groups are mounted: its own group's and every parent's, for version 2
// and for version 1's memory controller.
struct CgroupFolder {
    std::string path;
    bool version2 = false;
};
std::vector<CgroupFolder> CgroupFolders(const std::string& procSelfCgroup,
                                        const std::string& mountRoot);

// Memory the machine, and the container or service this process runs in, can still give it, in
// bytes; the largest value when neither tells, so that the guard then never refuses a capture.
std::uint64_t AvailableMemory();

}  // namespace pagrovix
