#include "imaging/DeflateJoin.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <endian.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

[[noreturn]] void Malformed() {
    throw Error("PNG compression error: a compressed part is not one whole deflate stream");
}

// Reads the stream's bits from the lowest of each byte up, as deflate packs them. Reading past the
// end gives zero bits; the walk checks its position against the end instead.
class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The next n bits (n <= 32), not taken.
    std::uint32_t Peek(int n) const {
        const std::size_t byte = pos_ >> 3;
        std::uint64_t word = 0;
        if (byte + 8 <= size_) {
            std::memcpy(&word, data_ + byte, 8);
            word = le64toh(word);
        } else {
            for (std::size_t i = byte; i < size_ && i < byte + 8; ++i) {
                word |= std::uint64_t(data_[i]) << (8 * (i - byte));
            }
        }
        return std::uint32_t((word >> (pos_ & 7)) & ((std::uint64_t(1) << n) - 1));
    }
    std::uint32_t Take(int n) {
        const std::uint32_t bits = Peek(n);
        pos_ += std::uint64_t(n);
        return bits;
    }
    void Skip(std::uint64_t n) { pos_ += n; }
    void ToByte() { pos_ = (pos_ + 7) & ~std::uint64_t(7); }
    std::uint64_t Position() const { return pos_; }
    bool PastEnd() const { return pos_ > std::uint64_t(size_) * 8; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t pos_ = 0;
};

constexpr int kMaxBits = 15;
constexpr int kFastBits = 10;

// A canonical Huffman code: codes up to kFastBits long are looked up by the next bits at once,
// longer ones found bit by bit from the counts of each length.
class Huffman {
public:
    // lengths[symbol], 0 for a symbol without a code. A code may be incomplete (a single distance
    // code is), never over-subscribed.
    void Build(const std::uint8_t* lengths, int symbols) {
        count_.fill(0);
        fast_.fill(0);
        for (int s = 0; s < symbols; ++s) {
            ++count_[lengths[s]];
        }
        count_[0] = 0;
        int left = 1;
        for (int length = 1; length <= kMaxBits; ++length) {
            left = 2 * left - count_[length];
            if (left < 0) {
                Malformed();
            }
        }
        std::array<std::uint16_t, kMaxBits + 2> offsets{};
        for (int length = 1; length <= kMaxBits; ++length) {
            offsets[length + 1] = std::uint16_t(offsets[length] + count_[length]);
        }
        std::array<std::uint32_t, kMaxBits + 1> next{};
        std::uint32_t code = 0;
        for (int length = 1; length <= kMaxBits; ++length) {
            code = (code + count_[length - 1]) << 1;
            next[length] = code;
        }
        for (int s = 0; s < symbols; ++s) {
            const int length = lengths[s];
            if (length == 0) {
                continue;
            }
            symbols_[offsets[length]++] = std::uint16_t(s);
            const std::uint32_t assigned = next[length]++;
            if (length <= kFastBits) {
                std::uint32_t reversed = 0;
                for (int bit = 0; bit < length; ++bit) {
                    reversed |= ((assigned >> bit) & 1) << (length - 1 - bit);
                }
                for (std::uint32_t at = reversed; at < fast_.size(); at += 1u << length) {
                    fast_[at] = std::uint16_t(s << 4 | length);
                }
            }
        }
    }

    int Decode(BitReader& bits) const {
        const std::uint32_t ahead = bits.Peek(kMaxBits);
        const std::uint16_t entry = fast_[ahead & (fast_.size() - 1)];
        if (entry & 15) {
            bits.Skip(entry & 15);
            return entry >> 4;
        }
        int code = 0;
        int first = 0;
        int index = 0;
        for (int length = 1; length <= kMaxBits; ++length) {
            code |= int((ahead >> (length - 1)) & 1);
            const int count = count_[length];
            if (code - first < count) {
                bits.Skip(std::uint64_t(length));
                return symbols_[std::size_t(index + code - first)];
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        Malformed();
    }

private:
    std::array<std::uint16_t, 1 << kFastBits> fast_;
    std::array<std::uint16_t, kMaxBits + 1> count_;
    std::array<std::uint16_t, 288> symbols_;
};

constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                                       1, 1, 2, 2, 2, 2, 3, 3, 3, 3,
                                                       4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,
                                                         4, 4, 5, 5, 6, 6, 7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Passes over the symbols of one compressed block, up to its end-of-block code.
void SkipSymbols(BitReader& bits, const Huffman& literals, const Huffman& distances) {
    for (;;) {
        if (bits.PastEnd()) {
            Malformed();
        }
        const int symbol = literals.Decode(bits);
        if (symbol < 256) {
            continue;
        }
        if (symbol == 256) {
            return;
        }
        if (symbol > 285) {
            Malformed();
        }
        bits.Skip(kLengthExtra[std::size_t(symbol - 257)]);
        const int distance = distances.Decode(bits);
        if (distance >= int(kDistanceExtra.size())) {
            Malformed();
        }
        bits.Skip(kDistanceExtra[std::size_t(distance)]);
    }
}

void ReadDynamicCodes(BitReader& bits, Huffman& literals, Huffman& distances) {
    const int literalCount = int(bits.Take(5)) + 257;
    const int distanceCount = int(bits.Take(5)) + 1;
    const int lengthCodeCount = int(bits.Take(4)) + 4;
    if (literalCount > 286 || distanceCount > 30) {
        Malformed();
    }
    static constexpr std::array<std::uint8_t, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                            11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::array<std::uint8_t, 19> lengthCodeLengths{};
    for (int i = 0; i < lengthCodeCount; ++i) {
        lengthCodeLengths[kOrder[std::size_t(i)]] = std::uint8_t(bits.Take(3));
    }
    Huffman lengthCode;
    lengthCode.Build(lengthCodeLengths.data(), 19);
    std::array<std::uint8_t, 286 + 30> lengths{};
    for (int at = 0; at < literalCount + distanceCount;) {
        if (bits.PastEnd()) {
            Malformed();
        }
        const int symbol = lengthCode.Decode(bits);
        if (symbol < 16) {
            lengths[std::size_t(at++)] = std::uint8_t(symbol);
            continue;
        }
        std::uint8_t value = 0;
        int repeat = 0;
        if (symbol == 16) {
            if (at == 0) {
                Malformed();
            }
            value = lengths[std::size_t(at - 1)];
            repeat = 3 + int(bits.Take(2));
        } else if (symbol == 17) {
            repeat = 3 + int(bits.Take(3));
        } else {
            repeat = 11 + int(bits.Take(7));
        }
        if (at + repeat > literalCount + distanceCount) {
            Malformed();
        }
        std::fill_n(lengths.begin() + at, repeat, value);
        at += repeat;
    }
    if (lengths[256] == 0) {
        Malformed();
    }
    literals.Build(lengths.data(), literalCount);
    distances.Build(lengths.data() + literalCount, distanceCount);
}

}  // namespace

std::size_t MakeJoinable(std::uint8_t* stream, std::size_t size) {
    BitReader bits(stream, size);
    Huffman literals;
    Huffman distances;
    bool fixedBuilt = false;
    std::uint64_t lastHeader = 0;
    for (bool last = false; !last;) {
        lastHeader = bits.Position();
        last = bits.Take(1) != 0;
        switch (bits.Take(2)) {
            case 0: {
                bits.ToByte();
                const std::uint32_t length = bits.Take(16);
                if ((length ^ bits.Take(16)) != 0xFFFF) {
                    Malformed();
                }
                bits.Skip(std::uint64_t(length) * 8);
                break;
            }
            case 1: {
                if (!fixedBuilt) {
                    std::array<std::uint8_t, 288> lengths{};
                    std::fill_n(lengths.begin(), 144, 8);
                    std::fill_n(lengths.begin() + 144, 112, 9);
                    std::fill_n(lengths.begin() + 256, 24, 7);
                    std::fill_n(lengths.begin() + 280, 8, 8);
                    literals.Build(lengths.data(), 288);
                    lengths.fill(5);
                    distances.Build(lengths.data(), 30);
                    fixedBuilt = true;
                }
                SkipSymbols(bits, literals, distances);
                break;
            }
            case 2:
                ReadDynamicCodes(bits, literals, distances);
                fixedBuilt = false;
                SkipSymbols(bits, literals, distances);
                break;
            default:
                Malformed();
        }
        if (bits.PastEnd()) {
            Malformed();
        }
    }
    const std::uint64_t end = bits.Position();
    if ((end + 7) / 8 != size) {
        Malformed();
    }
    stream[lastHeader >> 3] &= std::uint8_t(~(1u << (lastHeader & 7)));
    // An empty stored block: three zero bits for its header, zeros to the byte boundary, then its
    // length and the length's complement.
    if (end & 7) {
        stream[end >> 3] &= std::uint8_t((1u << (end & 7)) - 1);
    }
    const std::size_t aligned = std::size_t((end + 3 + 7) / 8);
    std::fill(stream + size, stream + aligned, std::uint8_t(0));
    const std::uint8_t emptyLength[4] = {0x00, 0x00, 0xFF, 0xFF};
    std::copy(emptyLength, emptyLength + 4, stream + aligned);
    return aligned + 4;
}

}  // namespace pagrovix
