#include "capture/MemoryMapping.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace pagrovix {
namespace {

// The whole memory pages inside [data, data + bytes), for madvise.
bool WholePages(const void* data, std::size_t bytes, void*& start, std::size_t& length) {
    const auto pageSize = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto begin = std::uintptr_t(data);
    const std::uintptr_t first = (begin + pageSize - 1) & ~(pageSize - 1);
    const std::uintptr_t end = (begin + bytes) & ~(pageSize - 1);
    if (data == nullptr || end <= first) {
        return false;
    }
    start = reinterpret_cast<void*>(first);
    length = end - first;
    return true;
}

void Populate(const void* data, std::size_t bytes, [[maybe_unused]] int advice) {
    void* start = nullptr;
    std::size_t length = 0;
    if (WholePages(data, bytes, start, length)) {
        // Short calls: a thread that maps or unmaps memory meanwhile waits for one call, not all.
        constexpr std::size_t kChunk = std::size_t(2) << 20;
        for (std::size_t done = 0; done < length; done += kChunk) {
            madvise(static_cast<char*>(start) + done, std::min(kChunk, length - done), advice);
        }
    }
}

}  // namespace

void MapForWriting(void* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    Populate(data, bytes, MADV_POPULATE_WRITE);
#endif
}

void MapForReading(const void* data, std::size_t bytes) {
#ifdef MADV_POPULATE_READ
    Populate(data, bytes, MADV_POPULATE_READ);
#endif
}

void GiveBackShared(const void* data, std::size_t bytes) {
    void* start = nullptr;
    std::size_t length = 0;
    if (WholePages(data, bytes, start, length)) {
        madvise(start, length, MADV_REMOVE);
    }
}

Bitmap24 CopyOfPicture(const Bitmap24& picture) {
    Bitmap24 copy(picture.Width(), picture.Height());
    MapForWriting(copy.Data(), copy.ByteCount());
    if (picture.ByteCount() > 0) {
        std::memcpy(copy.Data(), picture.Data(), picture.ByteCount());
    }
    return copy;
}

}  // namespace pagrovix
