#include <libdeflate.h>
#include <zlib.h>

#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "imaging/DeflateJoin.h"
#include "imaging/Error.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace pagrovix {
namespace {

using test::Bytes;

// One part deflated whole by libdeflate, with room to be made joinable.
Bytes DeflatePart(const std::uint8_t* data, std::size_t size, int level) {
    const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(level), libdeflate_free_compressor);
    Bytes out(libdeflate_deflate_compress_bound(compressor.get(), size) + kJoinRoom);
    out.resize(libdeflate_deflate_compress(compressor.get(), data, size, out.data(), out.size()));
    return out;
}

// Inflates one raw deflate stream with zlib; fails unless it ends exactly at the end of its bytes.
Bytes InflateRaw(const Bytes& stream, std::size_t size) {
    z_stream inflater{};
    EXPECT_EQ(inflateInit2(&inflater, -15), Z_OK);
    Bytes out(size + 1);
    inflater.next_in = const_cast<std::uint8_t*>(stream.data());
    inflater.avail_in = uInt(stream.size());
    inflater.next_out = out.data();
    inflater.avail_out = uInt(out.size());
    EXPECT_EQ(inflate(&inflater, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(inflater.avail_in, 0u);
    out.resize(out.size() - inflater.avail_out);
    inflateEnd(&inflater);
    return out;
}

// Data of every kind libdeflate makes blocks of: stored (level 0 and noise), fixed codes (a few
// bytes), dynamic codes with long runs and with text, in one part and cut into several.
TEST(DeflateJoin, PartsJoinIntoOneStreamOfTheWholeInput) {
    std::mt19937 random(7);
    const auto noise = [&](std::size_t size) {
        Bytes bytes(size);
        for (auto& byte : bytes) {
            byte = std::uint8_t(random());
        }
        return bytes;
    };
    const auto text = [&](std::size_t size) {
        static const char* const kWords[] = {"page ", "picture ", "row ", "band ", "\n", "x"};
        Bytes bytes;
        while (bytes.size() < size) {
            const char* word = kWords[random() % 6];
            bytes.insert(bytes.end(), word, word + std::char_traits<char>::length(word));
        }
        bytes.resize(size);
        return bytes;
    };
    const Bitmap24 pattern = test::PatternBitmap(640, 900);
    const std::vector<std::pair<std::string, Bytes>> inputs = {
        {"a few bytes", Bytes{1, 2, 3, 4, 5}},
        {"zeros", Bytes(1'500'000, 0)},
        {"noise", noise(700'000)},
        {"text", text(800'000)},
        {"pattern", Bytes(pattern.Data(), pattern.Data() + pattern.ByteCount())},
    };
    for (const auto& [name, input] : inputs) {
        for (const int level : {0, 1, 6, 9}) {
            for (const std::size_t parts : {1u, 2u, 5u}) {
                SCOPED_TRACE(name + " at level " + std::to_string(level) + " in " +
                             std::to_string(parts) + " parts");
                Bytes joined;
                for (std::size_t i = 0; i < parts; ++i) {
                    const std::size_t from = input.size() * i / parts;
                    const std::size_t to = input.size() * (i + 1) / parts;
                    Bytes part = DeflatePart(input.data() + from, to - from, level);
                    if (i + 1 < parts) {
                        const std::size_t size = part.size();
                        part.resize(size + kJoinRoom);
                        part.resize(MakeJoinable(part.data(), size));
                        // Ends as a sync flush does.
                        ASSERT_GE(part.size(), 4u);
                        EXPECT_EQ(Bytes(part.end() - 4, part.end()), (Bytes{0, 0, 0xFF, 0xFF}));
                    }
                    joined.insert(joined.end(), part.begin(), part.end());
                }
                EXPECT_EQ(InflateRaw(joined, input.size()), input);
            }
        }
    }
}

TEST(DeflateJoin, RefusesWhatIsNotExactlyOneWholeStream) {
    const Bitmap24 pattern = test::PatternBitmap(300, 200);
    const Bytes whole = DeflatePart(pattern.Data(), pattern.ByteCount(), 6);
    const Bytes stored = DeflatePart(pattern.Data(), 1000, 0);
    const auto cut = [](Bytes bytes, std::size_t drop) {
        bytes.resize(bytes.size() - drop);
        return bytes;
    };
    const auto withExtra = [](Bytes bytes) {
        bytes.push_back(0);
        return bytes;
    };
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"cut short", cut(whole, 1)},
        {"cut to its first bytes", cut(whole, whole.size() - 3)},
        {"stored block cut short", cut(stored, 1)},
        {"followed by a byte", withExtra(whole)},
        {"a reserved block type", Bytes{0x07, 0, 0}},
        {"stored length without its complement", Bytes{0x01, 0x05, 0x00, 0x05, 0x00}},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        Bytes room = bytes;
        room.resize(bytes.size() + kJoinRoom);
        EXPECT_THROW(MakeJoinable(room.data(), bytes.size()), Error);
    }
}

}  // namespace
}  // namespace pagrovix
