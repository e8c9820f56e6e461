#include "imaging/Bitmap24.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include <sys/mman.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

// A page-sized picture is written once from end to end: in 2 MB pages the system maps it with a
// few hundred faults instead of tens of thousands, which is most of the cost of filling it.
void PreferLargePages(std::uint8_t* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLargePage = 2 * 1024 * 1024;
    const auto begin = (std::uintptr_t(block) + kLargePage - 1) & ~(kLargePage - 1);
    const auto end = (std::uintptr_t(block) + bytes) & ~(kLargePage - 1);
    if (end > begin) {
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
}

}  // namespace

void PixelsUnmap::operator()(std::uint8_t* pixels) const noexcept {
    munmap(pixels, bytes);
}

Bitmap24 Bitmap24::Clone() const {
    Bitmap24 copy(width_, height_);
    if (ByteCount() > 0) {
        std::memcpy(copy.pixels_.get(), pixels_.get(), ByteCount());
    }
    return copy;
}

void Bitmap24::SetSize(int width, int height) {
    if (width < 0 || height < 0) {
        throw Error("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    }
    const std::size_t stride = std::size_t(width) * 3;
    if (height > 0 &&
        stride + 1 > std::numeric_limits<std::ptrdiff_t>::max() / std::size_t(height)) {
        throw Error("Bitmap " + std::to_string(width) + " x " + std::to_string(height) +
                    " is too large");
    }
    const std::size_t bytes = stride * std::size_t(height) + std::size_t(height);
    // Keep the block when it is about the right size: every capture resizes the main window's same
    // picture, but a bitmap that shrinks far should not go on holding a whole page.
    const std::size_t capacity = pixels_ ? pixels_.get_deleter().bytes : 0;
    if (bytes > capacity || bytes < capacity / 2) {
        pixels_.reset();
        void* block = bytes > 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                : nullptr;
        if (block == MAP_FAILED) {
            throw std::bad_alloc();
        }
        pixels_ = {static_cast<std::uint8_t*>(block), PixelsUnmap{bytes}};
        PreferLargePages(pixels_.get(), bytes);
    }
    width_ = width;
    height_ = height;
}

void Bitmap24::Fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    if (Empty()) {
        return;
    }
    if (blue == green && green == red) {
        std::memset(pixels_.get(), blue, ByteCount());
        return;
    }
    std::uint8_t* row = pixels_.get();
    for (int x = 0; x < width_; ++x) {
        row[3 * x] = blue;
        row[3 * x + 1] = green;
        row[3 * x + 2] = red;
    }
    for (int y = 1; y < height_; ++y) {
        std::memcpy(Row(y).data(), row, Stride());
    }
}

}  // namespace pagrovix
