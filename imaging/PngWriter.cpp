#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "imaging/DeflateJoin.h"
#include "imaging/Error.h"
#include "imaging/ImageWriters.h"
#include "imaging/ReplacingFile.h"

namespace pagrovix {
namespace {

constexpr std::size_t kIdatSize = 65535;
constexpr std::size_t kChunkHead = 8;  // length and type
constexpr std::size_t kChunkTail = 4;  // CRC
constexpr std::uint8_t kNoFilter = 0;
constexpr std::uint8_t kSubFilter = 1;

void PutBe32(std::uint8_t* at, std::uint32_t value) {
    at[0] = std::uint8_t(value >> 24);
    at[1] = std::uint8_t(value >> 16);
    at[2] = std::uint8_t(value >> 8);
    at[3] = std::uint8_t(value);
}

// Frames the length bytes of data that sit at frame + 8 as one chunk and writes it in one piece:
// frame has room for the length and type before the data and for the CRC after it.
void WriteChunk(ReplacingFile& file, std::uint8_t* frame, const char (&type)[5],
                std::size_t length) {
    PutBe32(frame, std::uint32_t(length));
    std::copy(type, type + 4, frame + 4);
    const uLong crc = crc32(0, frame + 4, uInt(4 + length));
    PutBe32(frame + kChunkHead + length, std::uint32_t(crc));
    file.Write(frame, kChunkHead + length + kChunkTail);
}

// Owns the deflate stream; its output buffer is the data part of an IDAT frame, so a full buffer
// goes to the file as one chunk without a copy.
class IdatStream {
public:
    IdatStream(ReplacingFile& file, int level)
        : file_(file),
          frame_(std::make_unique<std::uint8_t[]>(kChunkHead + kIdatSize + kChunkTail)) {
        const int result = deflateInit2(&stream_, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        if (result == Z_MEM_ERROR) {
            throw std::bad_alloc();
        }
        if (result != Z_OK) {
            throw Error("PNG compression error");
        }
        StartBuffer();
    }
    ~IdatStream() { deflateEnd(&stream_); }
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    void Add(std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            // avail_in is 32 bits; rows are not that long in practice, but nothing relies on it.
            const auto part = uInt(std::min<std::size_t>(size, UINT_MAX));
            stream_.next_in = data;
            stream_.avail_in = part;
            while (stream_.avail_in > 0) {
                Deflate(Z_NO_FLUSH);
                if (stream_.avail_out == 0) {
                    WriteBuffer();
                }
            }
            data += part;
            size -= part;
        }
    }

    void Finish() {
        while (Deflate(Z_FINISH) != Z_STREAM_END) {
            if (stream_.avail_out == 0) {
                WriteBuffer();
            }
        }
        if (stream_.avail_out < kIdatSize) {
            WriteBuffer();
        }
    }

private:
    int Deflate(int flush) {
        const int result = deflate(&stream_, flush);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            throw Error("PNG compression error");
        }
        return result;
    }

    void StartBuffer() {
        stream_.next_out = frame_.get() + kChunkHead;
        stream_.avail_out = uInt(kIdatSize);
    }

    void WriteBuffer() {
        WriteChunk(file_, frame_.get(), "IDAT", kIdatSize - stream_.avail_out);
        StartBuffer();
    }

    ReplacingFile& file_;
    std::unique_ptr<std::uint8_t[]> frame_;
    z_stream stream_{};
};

// The filter-type byte, then each pixel as R, G, B minus the pixel to its left (zero for the
// first). Each output byte depends only on the input, so the loop carries nothing from one pixel
// to the next.
void FilterRowSub(std::span<const std::uint8_t> bgr, std::uint8_t* out) {
    *out++ = kSubFilter;
    out[0] = bgr[2];
    out[1] = bgr[1];
    out[2] = bgr[0];
    for (std::size_t i = 3; i < bgr.size(); i += 3) {
        out[i] = std::uint8_t(bgr[i + 2] - bgr[i - 1]);
        out[i + 1] = std::uint8_t(bgr[i + 1] - bgr[i - 2]);
        out[i + 2] = std::uint8_t(bgr[i] - bgr[i - 3]);
    }
}

// The filter-type byte for no filter, then each pixel as R, G, B. The faster writers use it: on
// pages of text, rules and flat colour it deflates a sixth to a fifth smaller than Sub in the
// same time, as the same glyphs and edges repeat byte for byte; only photographs lose a little.
void FilterRowNone(std::span<const std::uint8_t> bgr, std::uint8_t* out) {
    *out++ = kNoFilter;
    for (std::size_t i = 0; i < bgr.size(); i += 3) {
        out[i] = bgr[i + 2];
        out[i + 1] = bgr[i + 1];
        out[i + 2] = bgr[i];
    }
}

// The signature and the header chunk.
void WriteStart(ReplacingFile& file, const Bitmap24& bitmap) {
    std::uint8_t start[8 + kChunkHead + 13 + kChunkTail] = {137, 80, 78, 71, 13, 10, 26, 10};
    std::uint8_t* header = start + 8;
    PutBe32(header + kChunkHead, std::uint32_t(bitmap.Width()));
    PutBe32(header + kChunkHead + 4, std::uint32_t(bitmap.Height()));
    header[kChunkHead + 8] = 8;   // bits per sample
    header[kChunkHead + 9] = 2;   // truecolour
    header[kChunkHead + 10] = 0;  // deflate
    header[kChunkHead + 11] = 0;  // adaptive filtering: each writer keeps to one type
    header[kChunkHead + 12] = 0;  // not interlaced
    file.Write(start, 8);
    WriteChunk(file, header, "IHDR", 13);
}

void WriteEnd(ReplacingFile& file) {
    std::uint8_t end[kChunkHead + kChunkTail];
    WriteChunk(file, end, "IEND", 0);
}

}  // namespace

void WritePngFile(const Bitmap24& bitmap, const std::string& path, int level) {
    if (bitmap.Empty()) {
        throw Error("Cannot save an empty picture");
    }
    ReplacingFile file(path);
    WriteStart(file, bitmap);

    IdatStream idat(file, std::clamp(level, 0, 9));
    const auto row = std::make_unique<std::uint8_t[]>(1 + bitmap.Stride());
    for (int y = 0; y < bitmap.Height(); ++y) {
        FilterRowSub(bitmap.Row(y), row.get());
        idat.Add(row.get(), 1 + bitmap.Stride());
    }
    idat.Finish();
    WriteEnd(file);
    file.Commit();
}

}  // namespace pagrovix

namespace pagrovix {
namespace {

// Gives the IDAT chunks of a zlib stream handed in in pieces: a full chunk goes out at once.
class IdatChunks {
public:
    explicit IdatChunks(ReplacingFile& file)
        : file_(file),
          frame_(std::make_unique<std::uint8_t[]>(kChunkHead + kIdatSize + kChunkTail)) {}

    void Add(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const std::size_t part = std::min(size, kIdatSize - used_);
            std::copy(data, data + part, frame_.get() + kChunkHead + used_);
            used_ += part;
            data += part;
            size -= part;
            if (used_ == kIdatSize) {
                Flush();
            }
        }
    }

    void Flush() {
        if (used_ > 0) {
            WriteChunk(file_, frame_.get(), "IDAT", used_);
            used_ = 0;
        }
    }

private:
    ReplacingFile& file_;
    std::unique_ptr<std::uint8_t[]> frame_;
    std::size_t used_ = 0;
};

// The zlib header that libdeflate gives for the level: a 32 KiB window, and the level's speed as
// a hint that decoders do not need.
void AddZlibHeader(IdatChunks& idat, int level) {
    const int speed = level < 2 ? 0 : level < 6 ? 1 : level < 8 ? 2 : 3;
    int header = 0x7800 | speed << 6;
    header += 31 - header % 31;
    const std::uint8_t bytes[2] = {std::uint8_t(header >> 8), std::uint8_t(header)};
    idat.Add(bytes, 2);
}

// One band of rows deflated on its own by libdeflate, ending as a sync flush does unless it is the
// last, so that the bands join into one stream.
struct DeflatedBand {
    std::vector<std::uint8_t> bytes;
    uLong adler = 1;
    std::size_t length = 0;  // of the filtered rows
};

// The rows of a picture, read where they are while the picture may be written below them.
struct PictureRows {
    const std::uint8_t* pixels;
    std::size_t stride;
    std::span<const std::uint8_t> Row(int y) const {
        return {pixels + stride * std::size_t(y), stride};
    }
};

// Memory a thread keeps for the bands it deflates: every band of a tall page passes through the
// same megabytes instead of clearing fresh ones, which the system would also have to map first.
class BandScratch {
public:
    std::uint8_t* Get(std::size_t bytes) {
        if (bytes > size_) {
            data_ = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
            size_ = bytes;
        }
        return data_.get();
    }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
};

// The compressor for the level that this thread keeps: every band of a tall page is deflated with
// the same one.
libdeflate_compressor* ThreadCompressor(int level) {
    thread_local std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> kept(
        nullptr, libdeflate_free_compressor);
    thread_local int keptLevel = -1;
    if (!kept || keptLevel != level) {
        kept.reset(libdeflate_alloc_compressor(level));
        keptLevel = level;
        if (!kept) {
            throw std::bad_alloc();
        }
    }
    return kept.get();
}

// Room for a part of size bytes deflated by DeflatePart.
std::size_t DeflatedRoom(libdeflate_compressor* compressor, std::size_t size) {
    return libdeflate_deflate_compress_bound(compressor, size) + kJoinRoom;
}

// Deflates the bytes whole into out, which has DeflatedRoom for them, as a part that another part
// may follow unless it is the last; gives the length.
std::size_t DeflatePart(libdeflate_compressor* compressor, const std::uint8_t* data,
                        std::size_t size, bool last, std::uint8_t* out) {
    const std::size_t room = DeflatedRoom(compressor, size);
    const std::size_t length = libdeflate_deflate_compress(compressor, data, size, out, room);
    if (length == 0) {
        throw Error("PNG compression error");
    }
    return last ? length : MakeJoinable(out, length);
}

DeflatedBand DeflateBand(const PictureRows& picture, int first, int end, int level, bool last) {
    const std::size_t rowSize = 1 + picture.stride;
    const std::size_t filteredSize = rowSize * std::size_t(end - first);
    thread_local BandScratch filteredScratch;
    thread_local BandScratch deflatedScratch;
    std::uint8_t* const filtered = filteredScratch.Get(filteredSize);
    for (int y = first; y < end; ++y) {
        FilterRowNone(picture.Row(y), filtered + rowSize * std::size_t(y - first));
    }
    libdeflate_compressor* const compressor = ThreadCompressor(level);
    std::uint8_t* const deflated = deflatedScratch.Get(DeflatedRoom(compressor, filteredSize));
    const std::size_t length = DeflatePart(compressor, filtered, filteredSize, last, deflated);
    DeflatedBand band;
    // Kept until the bands before it are written: only what deflate made.
    band.bytes.assign(deflated, deflated + length);
    band.adler = libdeflate_adler32(1, filtered, filteredSize);
    band.length = filteredSize;
    return band;
}

std::uint64_t FilteredBytes(int width, int height) {
    return (1 + 3 * std::uint64_t(std::max(width, 0))) * std::uint64_t(std::max(height, 0));
}

// Bands of about a megabyte of filtered rows: enough work to share, small enough to keep every
// core busy.
int BandRows(int width) {
    return int(std::max<std::uint64_t>(1, (1 << 20) / FilteredBytes(width, 1)));
}

// Turns a picture that is used up into its filtered rows (as FilterRowNone makes them) where it
// lies, from the bottom row up and each row from its end: a filtered row is one byte longer, so
// it starts y + 1 bytes further on than its pixels and covers only rows already done and pixels
// of its own row already read.
const std::uint8_t* FilterInPlace(Bitmap24& picture) {
    const std::size_t stride = picture.Stride();
    std::uint8_t* const block = picture.Block().data();
    for (int y = picture.Height() - 1; y >= 0; --y) {
        const std::uint8_t* const bgr = block + stride * std::size_t(y);
        std::uint8_t* const out = block + (stride + 1) * std::size_t(y);
        for (std::size_t at = stride; at >= 3;) {
            at -= 3;
            const std::uint8_t blue = bgr[at], green = bgr[at + 1], red = bgr[at + 2];
            out[1 + at] = red;
            out[2 + at] = green;
            out[3 + at] = blue;
        }
        out[0] = kNoFilter;
    }
    return block;
}

// The filtered rows deflated by libdeflate, which takes about half of zlib's time at the same
// level but only a whole buffer at a time: the rows are cut into parts of at least a megabyte,
// one for each core, each deflated whole on its own thread and joined into one zlib stream. One
// part gives what one call to libdeflate_zlib_compress gives.
void DeflateInParts(const std::uint8_t* filtered, std::size_t size, int level, int cores,
                    IdatChunks& idat) {
    constexpr std::size_t kLeastPart = std::size_t(1) << 20;
    const std::size_t parts =
        std::clamp<std::size_t>(size / kLeastPart, 1, std::size_t(std::max(cores, 1)));
    struct Part {
        std::size_t from = 0;
        std::size_t to = 0;
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t length = 0;
        std::uint32_t adler = 1;
        std::exception_ptr failure;
    };
    std::vector<Part> done(parts);
    for (std::size_t i = 0; i < parts; ++i) {
        done[i].from = size / parts * i;
        done[i].to = i + 1 == parts ? size : size / parts * (i + 1);
    }
    const auto deflatePart = [&](std::size_t i) {
        Part& part = done[i];
        try {
            const std::uint8_t* const data = filtered + part.from;
            const std::size_t length = part.to - part.from;
            libdeflate_compressor* const compressor = ThreadCompressor(level);
            part.bytes.reset(new std::uint8_t[DeflatedRoom(compressor, length)]);
            part.length = DeflatePart(compressor, data, length, i + 1 == parts, part.bytes.get());
            part.adler = libdeflate_adler32(1, data, length);
        } catch (...) {
            part.failure = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 1; i < parts; ++i) {
            try {
                threads.emplace_back(deflatePart, i);
            } catch (const std::system_error&) {
                // No thread to be had: this one deflates the part too.
                deflatePart(i);
            }
        }
        deflatePart(0);
    }
    for (const Part& part : done) {
        if (part.failure) {
            std::rethrow_exception(part.failure);
        }
    }
    AddZlibHeader(idat, level);
    uLong adler = 1;
    for (Part& part : done) {
        idat.Add(part.bytes.get(), part.length);
        part.bytes.reset();
        adler = adler32_combine(adler, part.adler, z_off_t(part.to - part.from));
    }
    std::uint8_t trailer[4];
    PutBe32(trailer, std::uint32_t(adler));
    idat.Add(trailer, 4);
}

// The whole picture filtered into one buffer and deflated in parts. usedUp, the same picture when
// it is not needed afterwards, is filtered where it lies, so that the picture and a filtered copy
// as large are not held at once.
void WriteWholeDeflated(const Bitmap24& bitmap, const std::string& path, int level, int cores,
                        Bitmap24* usedUp) {
    ReplacingFile file(path);
    const std::size_t rowSize = 1 + bitmap.Stride();
    const std::size_t size = rowSize * std::size_t(bitmap.Height());
    // Neither buffer is cleared: only what is written to takes memory.
    std::unique_ptr<std::uint8_t[]> copy;
    const std::uint8_t* filtered = nullptr;
    if (usedUp && usedUp->Block().size() >= size) {
        filtered = FilterInPlace(*usedUp);
    } else {
        copy.reset(new std::uint8_t[size]);
        for (int y = 0; y < bitmap.Height(); ++y) {
            FilterRowNone(bitmap.Row(y), copy.get() + rowSize * std::size_t(y));
        }
        filtered = copy.get();
    }
    WriteStart(file, bitmap);
    IdatChunks idat(file);
    DeflateInParts(filtered, size, level, cores, idat);
    idat.Flush();
    WriteEnd(file);
    file.Commit();
}

void WriteOnCores(const Bitmap24& bitmap, const std::string& path, int level, int cores,
                  std::uint64_t wholeBytes, Bitmap24* usedUp) {
    if (bitmap.Empty()) {
        throw Error("Cannot save an empty picture");
    }
    level = std::clamp(level, 0, 9);
    if (FilteredBytes(bitmap.Width(), bitmap.Height()) <= wholeBytes) {
        WriteWholeDeflated(bitmap, path, level, cores, usedUp);
        return;
    }
    if (cores < 2 || BandRows(bitmap.Width()) >= bitmap.Height()) {
        WritePngFile(bitmap, path, level);
        return;
    }
    PngBandStream stream(bitmap, path, level, cores);
    stream.Finish();
}

}  // namespace

std::uint64_t PngOnCoresBytes(int width, int height) {
    // The filtered rows and, at worst, as many deflated bytes.
    const std::uint64_t filtered = FilteredBytes(width, height);
    return filtered <= kPngWholeDeflateBytes ? 2 * filtered : 0;
}

void WritePngFileOnCores(const Bitmap24& bitmap, const std::string& path, int level, int cores,
                         std::uint64_t wholeBytes) {
    WriteOnCores(bitmap, path, level, cores, wholeBytes, nullptr);
}

void WritePngFileUsingUp(Bitmap24& bitmap, const std::string& path, int level, int cores,
                         std::uint64_t wholeBytes) {
    struct Emptied {
        Bitmap24& bitmap;
        ~Emptied() { bitmap = Bitmap24(); }
    } emptied{bitmap};
    WriteOnCores(bitmap, path, level, cores, wholeBytes, &bitmap);
}

struct PngBandStream::State {
    State(const Bitmap24& picture, const std::string& path, int level, int cores)
        : rows{picture.Data(), picture.Stride()},
          height(picture.Height()),
          level(std::clamp(level, 0, 9)),
          bandRows(BandRows(picture.Width())),
          bands((height + bandRows - 1) / bandRows),
          ahead(2 * std::max(1, cores)),
          file(path),
          idat(file),
          done(std::size_t(bands)) {
        WriteStart(file, picture);
        AddZlibHeader(idat, this->level);
        try {
            for (int i = 0; i < std::max(1, cores); ++i) {
                workers.emplace_back([this] { Work(); });
            }
        } catch (...) {
            // The threads that did start would wait for rows that never come.
            {
                std::lock_guard lock(mutex);
                stopping = true;
            }
            changed.notify_all();
            throw;
        }
    }

    bool BandReady(int band) const { return std::min(height, (band + 1) * bandRows) <= rowsDone; }

    // Workers take bands in order, at most a few ahead of the one being written, so the memory
    // held is a few bands, not the whole compressed picture; a band waits for its rows.
    void Work() {
        for (;;) {
            int band = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] {
                    return stopping || failure || next >= bands ||
                           (next - written < ahead && BandReady(next));
                });
                if (stopping || failure || next >= bands) {
                    return;
                }
                band = next++;
            }
            try {
                const int first = band * bandRows;
                DeflatedBand result = DeflateBand(rows, first, std::min(height, first + bandRows),
                                                  level, band == bands - 1);
                std::unique_lock lock(mutex);
                done[std::size_t(band)] = std::move(result);
                WriteInOrder(lock);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!failure) {
                    failure = std::current_exception();
                }
            }
            changed.notify_all();
        }
    }

    // One thread at a time writes the bands that are next in the file, the lock let go meanwhile.
    void WriteInOrder(std::unique_lock<std::mutex>& lock) {
        if (writing) {
            return;
        }
        writing = true;
        try {
            while (!failure && !stopping && written < bands && done[std::size_t(written)]) {
                const DeflatedBand band = std::move(*done[std::size_t(written)]);
                done[std::size_t(written)].reset();
                lock.unlock();
                idat.Add(band.bytes.data(), band.bytes.size());
                adler = adler32_combine(adler, band.adler, z_off_t(band.length));
                lock.lock();
                ++written;
            }
        } catch (...) {
            if (!lock.owns_lock()) {
                lock.lock();
            }
            writing = false;
            throw;
        }
        writing = false;
    }

    const PictureRows rows;
    const int height;
    const int level;
    const int bandRows;
    const int bands;
    const int ahead;
    ReplacingFile file;
    IdatChunks idat;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<DeflatedBand>> done;
    std::exception_ptr failure;
    int rowsDone = 0;
    int next = 0;
    int written = 0;
    bool writing = false;
    bool stopping = false;
    uLong adler = 1;  // of the bands written, kept by the writing thread
    // Last, so that they end before what they use goes.
    std::vector<std::jthread> workers;
};

PngBandStream::PngBandStream(const Bitmap24& picture, const std::string& path, int level,
                             int cores)
    : state_(picture.Empty() ? throw Error("Cannot save an empty picture")
                             : std::make_unique<State>(picture, path, level, cores)) {}

PngBandStream::~PngBandStream() {
    if (state_) {
        {
            std::lock_guard lock(state_->mutex);
            state_->stopping = true;
        }
        state_->changed.notify_all();
    }
}

void PngBandStream::RowsDone(int rows) {
    {
        std::lock_guard lock(state_->mutex);
        state_->rowsDone = std::clamp(rows, state_->rowsDone, state_->height);
    }
    state_->changed.notify_all();
}

void PngBandStream::Finish() {
    State& state = *state_;
    RowsDone(state.height);
    {
        std::unique_lock lock(state.mutex);
        state.changed.wait(lock, [&] { return state.failure || state.written == state.bands; });
        if (state.failure) {
            state.stopping = true;
            lock.unlock();
            state.changed.notify_all();
            std::rethrow_exception(state.failure);
        }
    }
    state.workers.clear();
    std::uint8_t trailer[4];
    PutBe32(trailer, std::uint32_t(state.adler));
    state.idat.Add(trailer, 4);
    state.idat.Flush();
    WriteEnd(state.file);
    state.file.Commit();
}

}  // namespace pagrovix
