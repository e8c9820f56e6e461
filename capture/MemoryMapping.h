#pragma once

#include <cstddef>

#include "imaging/Bitmap24.h"

namespace pagrovix {

// Freshly allocated memory is mapped by the system one page at a time, on first use; on some
// machines those faults cost more than painting the page. These map a whole block ahead of its use,
// a few megabytes a call: the system holds the process's map locked through each call, and the
// painting that goes on meanwhile on another thread maps memory of its own. They are only a
// speed-up: where the system cannot, nothing happens and the memory maps as it is used.
void MapForWriting(void* data, std::size_t bytes);
void MapForReading(const void* data, std::size_t bytes);

// Gives the whole memory pages inside a block of shared memory back to the system, for memory
// that nobody reads again: they read as zeros afterwards, in every process that maps them.
void GiveBackShared(const void* data, std::size_t bytes);

// A copy of picture, made without the page-by-page faults of a plain copy into new memory.
Bitmap24 CopyOfPicture(const Bitmap24& picture);

}  // namespace pagrovix
