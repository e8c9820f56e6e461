#include "imaging/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit
constexpr int kMaxNameAttempts = 100;

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links at the path itself, so the file they point to is replaced rather than
// the link. Returns 0 or an errno value.
int ResolveLinks(std::string& path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return 0;
        }
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0) {
            return errno;
        }
        if (std::size_t(length) == sizeof target) {
            return ENAMETOOLONG;
        }
        const std::string link(target, std::size_t(length));
        const auto slash = path.find_last_of('/');
        path = (link.front() == '/' || slash == std::string::npos)
                   ? link
                   : path.substr(0, slash + 1) + link;
    }
    return ELOOP;
}

// A name no other run or call is likely to pick; O_EXCL settles the rare clash.
std::string TemporaryName(const std::string& folder) {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t mix = std::uint64_t(getpid()) << 32;
    mix ^= std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    mix ^= (counter.fetch_add(1) + 1) * 0x9E3779B97F4A7C15ull;
    mix ^= mix >> 29;
    char name[32];
    std::snprintf(name, sizeof name, ".pagrovix-%012llx.tmp",
                  static_cast<unsigned long long>(mix & 0xFFFFFFFFFFFFull));
    return folder + "/" + name;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& path)
    : absolutePath_(AbsolutePath(path)), targetPath_(path) {
    if (path.empty()) {
        FailCreate(ENOENT);
    }
    if (const int error = ResolveLinks(targetPath_)) {
        FailCreate(error);
    }

    struct stat existing;
    const bool exists = stat(targetPath_.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        FailCreate(errno);
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        FailCreate(EISDIR);
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // A named pipe that no program reads would hold the writer at open() for ever, deaf to
        // every request to stop: it is refused at once instead.
        const bool pipe = S_ISFIFO(existing.st_mode);
        fd_ = open(targetPath_.c_str(),
                   O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | (pipe ? O_NONBLOCK : 0));
        if (fd_ < 0 && pipe && errno == ENXIO) {
            throw Error("Cannot create file \"" + absolutePath_ +
                        "\". No program reads from the named pipe.");
        }
        if (fd_ < 0) {
            FailCreate(errno);
        }
        if (pipe) {
            fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        }
        return;
    }
    if (exists) {
        // The rename below would replace a read-only file too, so ask the question open() would.
        // Root passes every access check; a file nobody may write is still kept as it is.
        if (faccessat(AT_FDCWD, targetPath_.c_str(), W_OK, AT_EACCESS) != 0) {
            FailCreate(errno);
        }
        if ((existing.st_mode & 0222) == 0) {
            FailCreate(EACCES);
        }
    }

    const std::string folder = FolderOf(targetPath_);
    for (int attempt = 0; fd_ < 0; ++attempt) {
        tempPath_ = TemporaryName(folder);
        // 0666 lets the umask and the folder's default ACL decide, as for any new file.
        fd_ = open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt + 1 == kMaxNameAttempts)) {
            const int error = errno;
            tempPath_.clear();
            FailCreate(error);
        }
    }
    if (exists) {
        // Best effort: only root may give the file back to another owner.
        if (existing.st_uid != geteuid() || existing.st_gid != getegid()) {
            [[maybe_unused]] const int ignored = fchown(fd_, existing.st_uid, existing.st_gid);
        }
        fchmod(fd_, existing.st_mode & 0777);
    }
}

ReplacingFile::~ReplacingFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
    if (!tempPath_.empty()) {
        unlink(tempPath_.c_str());
    }
}

void ReplacingFile::FailCreate(int error) const {
    throw Error("Cannot create file \"" + absolutePath_ + "\". " +
                std::error_code(error, std::generic_category()).message());
}

void ReplacingFile::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t stored = write(fd_, bytes, size);
        if (stored < 0 && errno == EINTR) {
            continue;
        }
        if (stored <= 0) {
            throw WriteError("Stream write error", stored < 0 ? errno : ENOSPC);
        }
        bytes += stored;
        size -= std::size_t(stored);
    }
}

void ReplacingFile::Write(std::span<iovec> pieces) {
    std::size_t next = 0;
    for (;;) {
        while (next < pieces.size() && pieces[next].iov_len == 0) {
            ++next;
        }
        if (next == pieces.size()) {
            return;
        }
        const int count = int(std::min<std::size_t>(pieces.size() - next, IOV_MAX));
        const ssize_t written = writev(fd_, &pieces[next], count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw WriteError("Stream write error", written < 0 ? errno : ENOSPC);
        }
        for (auto stored = std::size_t(written); stored > 0;) {
            iovec& piece = pieces[next];
            const std::size_t part = std::min(stored, piece.iov_len);
            piece.iov_base = static_cast<std::uint8_t*>(piece.iov_base) + part;
            piece.iov_len -= part;
            stored -= part;
            if (piece.iov_len == 0) {
                ++next;
            }
        }
    }
}

void ReplacingFile::Commit() {
    // Without the flush, a crash soon after the rename could leave an empty file where the old
    // one was.
    if (!tempPath_.empty() && fsync(fd_) != 0) {
        throw WriteError("Stream write error", errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 && errno != EINTR) {
        throw WriteError("Stream write error", errno);
    }
    if (!tempPath_.empty()) {
        if (rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
            FailCreate(errno);
        }
        tempPath_.clear();
    }
}

}  // namespace pagrovix
