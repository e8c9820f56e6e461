#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <span>
#include <string>

namespace pagrovix {

// A new file that takes the place of the one at a path only once it is complete. It is written
// beside the target under a hidden temporary name and renamed over the target by Commit(), so a
// failed write never leaves a short file under the user's name nor destroys the file that had it.
// Without Commit() the temporary file is removed.
//
// A symbolic link is followed: the file it points to is replaced, the link stays. A replaced file
// keeps its permission bits (and its owner, where the process may set it). Devices and pipes
// cannot be replaced by a rename without destroying them, so those are written in place.
class ReplacingFile {
public:
    // Throws Error "Cannot create file "<absolute path>". <reason>" when the file cannot be
    // created or replaced: a missing folder, a folder without write access, a directory at the
    // path, a read-only file. A file without any write bit counts as read-only for root too.
    explicit ReplacingFile(const std::string& path);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Both throw Error "Stream write error" unless every byte was stored.
    void Write(const void* data, std::size_t size);
    // Writes the pieces in order in as few calls as the system allows; it changes the entries.
    void Write(std::span<iovec> pieces);

    // Flushes the data to the disk and puts the file in place of the target.
    void Commit();

private:
    [[noreturn]] void FailCreate(int error) const;

    std::string absolutePath_;  // the path as the user gave it, for messages
    std::string targetPath_;    // where the data ends up, symbolic links resolved
    std::string tempPath_;      // empty when the target is written in place
    int fd_ = -1;
};

}  // namespace pagrovix
