#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace pagrovix {

// Gives a picture's block of pixels back to the system.
struct PixelsUnmap {
    std::size_t bytes = 0;
    void operator()(std::uint8_t* pixels) const noexcept;
};

// A 24-bit picture: each pixel is the three bytes blue, green, red; row 0 is the top row, and rows
// are packed at 3 × width bytes. Pictures of a whole page reach hundreds of MB (1280 × 100000 is
// 384 MB), so the pixels are left uninitialised on resize and copies are explicit.
class Bitmap24 {
public:
    Bitmap24() = default;
    Bitmap24(int width, int height) { SetSize(width, height); }

    Bitmap24(Bitmap24&&) noexcept = default;
    Bitmap24& operator=(Bitmap24&&) noexcept = default;
    Bitmap24(const Bitmap24&) = delete;
    Bitmap24& operator=(const Bitmap24&) = delete;
    Bitmap24 Clone() const;

    // Contents are unspecified after a change of size. Throws Error for negative sizes or a size
    // whose bytes do not fit in memory addresses; std::bad_alloc when memory runs out.
    void SetSize(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    std::size_t Stride() const { return std::size_t(width_) * 3; }
    std::size_t ByteCount() const { return Stride() * std::size_t(height_); }

    std::span<std::uint8_t> Row(int y) { return {pixels_.get() + Stride() * std::size_t(y), Stride()}; }
    std::span<const std::uint8_t> Row(int y) const {
        return {pixels_.get() + Stride() * std::size_t(y), Stride()};
    }
    std::uint8_t* Data() { return pixels_.get(); }
    const std::uint8_t* Data() const { return pixels_.get(); }

    // The pixels and after them room for one byte more a row, untouched until written: a picture
    // that is written once and dropped can be turned into rows one byte longer where it is (a
    // PNG file's filtered rows) instead of into a copy as large.
    std::span<std::uint8_t> Block() { return {pixels_.get(), pixels_.get_deleter().bytes}; }

    // Fills every pixel with one colour.
    void Fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

private:
    int width_ = 0;
    int height_ = 0;
    // Mapped from the system on their own, so that a picture dropped gives its memory back at
    // once rather than leaving it with the allocator, picture after picture.
    std::unique_ptr<std::uint8_t[], PixelsUnmap> pixels_;
};

}  // namespace pagrovix
