#include <sys/uio.h>

#include <array>
#include <cstdint>
#include <limits>

#include "imaging/Error.h"
#include "imaging/ImageWriters.h"
#include "imaging/ReplacingFile.h"

namespace pagrovix {
namespace {

constexpr std::uint32_t kHeadersSize = 14 + 40;
// Rows go out straight from the bitmap, bottom row first, each followed by its padding; one
// system call takes this many pieces.
constexpr std::size_t kPiecesPerCall = 1024;

void PutLe16(std::uint8_t* at, std::uint32_t value) {
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t value) {
    PutLe16(at, value);
    PutLe16(at + 2, value >> 16);
}

}  // namespace

void WriteBmpFile(const Bitmap24& bitmap, const std::string& path) {
    if (bitmap.Empty()) {
        throw Error("Cannot save an empty picture");
    }
    const std::uint64_t stride = (std::uint64_t(bitmap.Width()) * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = stride * std::uint64_t(bitmap.Height());
    // The size fields are 32 bits; a bigger file would carry wrapped sizes and be unreadable.
    if (imageSize > std::numeric_limits<std::uint32_t>::max() - kHeadersSize) {
        throw Error("The picture is too large for a BMP file");
    }

    ReplacingFile file(path);

    std::array<std::uint8_t, kHeadersSize> headers{};
    headers[0] = 'B';
    headers[1] = 'M';
    PutLe32(&headers[2], kHeadersSize + std::uint32_t(imageSize));
    PutLe32(&headers[10], kHeadersSize);
    PutLe32(&headers[14], 40);
    PutLe32(&headers[18], std::uint32_t(bitmap.Width()));
    PutLe32(&headers[22], std::uint32_t(bitmap.Height()));
    PutLe16(&headers[26], 1);
    PutLe16(&headers[28], 24);
    PutLe32(&headers[34], std::uint32_t(imageSize));
    file.Write(headers.data(), headers.size());

    static constexpr std::uint8_t kZeros[3] = {};
    const std::size_t padding = std::size_t(stride - bitmap.Stride());
    // writev only reads the pieces, though its interface is not const-qualified.
    std::array<iovec, kPiecesPerCall> pieces;
    std::size_t used = 0;
    for (int y = bitmap.Height() - 1; y >= 0; --y) {
        const auto row = bitmap.Row(y);
        pieces[used++] = {const_cast<std::uint8_t*>(row.data()), row.size()};
        if (padding > 0) {
            pieces[used++] = {const_cast<std::uint8_t*>(kZeros), padding};
        }
        if (used + 2 > pieces.size() || y == 0) {
            file.Write(std::span(pieces.data(), used));
            used = 0;
        }
    }
    file.Commit();
}

}  // namespace pagrovix
