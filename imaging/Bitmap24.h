#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace pagrovix {

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

    // Fills every pixel with one colour.
    void Fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red);
    // Gives the memory of rows [first, end) back to the system, for a picture read once from the
    // top down: those rows hold unspecified pixels afterwards. Only whole memory pages inside the
    // rows go back, so a page shared with a row outside keeps its bytes.
    void ReleaseRows(int first, int end);

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t capacity_ = 0;
    std::unique_ptr<std::uint8_t[]> pixels_;
};

}  // namespace pagrovix
