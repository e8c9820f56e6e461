#pragma once

#include <cstddef>
#include <cstdint>

namespace pagrovix {

// libdeflate compresses a buffer in one call into a whole raw deflate stream, whose last block is
// marked as the last. Parts of one input compressed that way on several threads join into one
// stream once every part but the last ends as a sync flush does: its last block no longer marked
// as the last, then an empty stored block up to a byte boundary.

// The bytes MakeJoinable may add after the stream.
inline constexpr std::size_t kJoinRoom = 5;

// Makes the whole raw deflate stream in stream[0, size) end as a sync flush, in place; stream has
// room for kJoinRoom more bytes. Gives the new size. Throws Error when the bytes are not exactly
// one whole deflate stream.
std::size_t MakeJoinable(std::uint8_t* stream, std::size_t size);

}  // namespace pagrovix
