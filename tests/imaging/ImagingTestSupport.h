#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap24.h"

namespace pagrovix::test {

// A folder of this test's own under /tmp, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::string path_;
};

using Bytes = std::vector<std::uint8_t>;
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);

// A picture whose every pixel differs from its neighbours: swapped channels or rows show up.
Bitmap24 PatternBitmap(int width, int height);
// Noise that deflate cannot shrink.
Bitmap24 NoiseBitmap(int width, int height, std::uint32_t seed = 1);

// Runs body in a forked child and returns the message of the Error it threw, "no error" when it
// returned, or "child failed" when it ended any other way. For tests that change the process
// (identity, limits) in ways the test program must not keep.
std::string ErrorInChild(const std::function<void()>& body);

// The message of the Error that action throws, or "no error".
std::string ErrorOf(const std::function<void()>& action);

}  // namespace pagrovix::test
