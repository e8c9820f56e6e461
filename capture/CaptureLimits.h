#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pagrovix {

// Bytes a capture holds at its peak: the picture at 3 bytes a pixel and the engine's largest
// painting (paintedWidth x paintedHeight) at 4.
std::uint64_t CaptureBytes(int width, int height, int paintedWidth, int paintedHeight);

// Throws Error when a page of this width, painted at scale device pixels per page pixel, is wider
// than the engine can paint.
void CheckPageWidth(int width, int scale);

// Throws Error, before anything is allocated, when a width x height capture needing neededBytes
// does not fit in availableBytes: running out of memory half-way would end the program.
void CheckCaptureMemory(int width, int height, std::uint64_t neededBytes,
                        std::uint64_t availableBytes);

// The MemAvailable figure of /proc/meminfo text, in bytes; nothing when it is missing.
std::optional<std::uint64_t> ParseAvailableMemory(const std::string& meminfo);

// Memory the machine can still give this process, in bytes; the largest value when the system
// does not tell, so that the guard then never refuses a capture.
std::uint64_t AvailableMemory();

}  // namespace pagrovix
