#pragma once
// Readers that take the characters out of the bytes of one encoding, one at a time. Each is
// exact: only bytes that encoding them again gives back are read; at any other byte the reader
// stops and says that it failed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace velmora::files {

// Windows-1252 bytes 0x80 … 0x9F. The five it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 control characters of the same number, as the WHATWG encoding standard does.
inline constexpr std::array<char32_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline bool IsScalarValue(char32_t C) {
    return C <= 0x10FFFF && (C < 0xD800 || C > 0xDFFF);
}

// The longest run of Bytes from At on that holds ASCII characters other than CR and LF, which an
// 8-bit encoding reads byte for byte; At moves past it. Eight bytes are looked at in one go.
inline std::string_view TakePlainAscii(std::string_view Bytes, std::size_t& At) {
    constexpr std::uint64_t Ones = 0x0101010101010101ull;
    constexpr std::uint64_t Highs = 0x8080808080808080ull;
    auto holds = [](std::uint64_t Word, unsigned char Byte) {
        const std::uint64_t x = Word ^ (Ones * Byte);
        return ((x - Ones) & ~x & Highs) != 0;
    };
    const char* from = Bytes.data() + At;
    const std::size_t left = Bytes.size() - At;
    std::size_t n = 0;
    for (std::uint64_t word = 0; n + 8 <= left; n += 8) {
        std::memcpy(&word, from + n, 8);
        if ((word & Highs) != 0 || holds(word, '\r') || holds(word, '\n'))
            break;
    }
    for (; n < left; ++n) {
        const auto byte = static_cast<unsigned char>(from[n]);
        if (byte >= 0x80 || byte == '\r' || byte == '\n')
            break;
    }
    At += n;
    return std::string_view(from, n);
}

class TUtf8Reader {
public:
    explicit TUtf8Reader(std::string_view Bytes) : FBytes(Bytes) {}
    // The next character into C; false at the end or at bytes that are no valid UTF-8.
    bool Next(char32_t& C) {
        if (FAt >= FBytes.size())
            return false;
        const auto lead = static_cast<unsigned char>(FBytes[FAt]);
        if (lead < 0x80) {
            C = lead;
            ++FAt;
            return true;
        }
        return NextSequence(lead, C);
    }
    bool Failed() const { return FAt < FBytes.size(); }
    // The ASCII characters next, up to a CR, an LF or a byte beyond ASCII, read at once.
    std::string_view TakePlainRun() { return TakePlainAscii(FBytes, FAt); }
    // Bytes that one unit of this encoding takes at least: the text has at most this many fewer
    // characters than bytes.
    static constexpr std::size_t UnitBytes = 1;

private:
    bool NextSequence(unsigned char Lead, char32_t& C) {
        std::size_t length = 0;
        char32_t c = 0;
        char32_t smallest = 0;
        if ((Lead & 0xE0) == 0xC0) {
            length = 2, c = Lead & 0x1F, smallest = 0x80;
        } else if ((Lead & 0xF0) == 0xE0) {
            length = 3, c = Lead & 0x0F, smallest = 0x800;
        } else if ((Lead & 0xF8) == 0xF0) {
            length = 4, c = Lead & 0x07, smallest = 0x10000;
        } else {
            return false;
        }
        if (FBytes.size() - FAt < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(FBytes[FAt + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates would not come back as the same bytes.
        if (c < smallest || !IsScalarValue(c))
            return false;
        C = c;
        FAt += length;
        return true;
    }

    std::string_view FBytes;
    std::size_t FAt = 0;
};

template <bool BigEndian>
class TUtf16Reader {
public:
    explicit TUtf16Reader(std::string_view Bytes) : FBytes(Bytes) {}
    bool Next(char32_t& C) {
        if (FBytes.size() - FAt < 2)
            return false;
        const char32_t c = Unit(FAt);
        if (c < 0xD800 || c > 0xDFFF) {
            C = c;
            FAt += 2;
            return true;
        }
        if (c > 0xDBFF || FBytes.size() - FAt < 4)
            return false;
        const char32_t low = Unit(FAt + 2);
        if (low < 0xDC00 || low > 0xDFFF)
            return false;
        C = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        FAt += 4;
        return true;
    }
    // An odd last byte fails too.
    bool Failed() const { return FAt < FBytes.size(); }
    static constexpr std::size_t UnitBytes = 2;

private:
    char32_t Unit(std::size_t I) const {
        const auto first = static_cast<unsigned char>(FBytes[I]);
        const auto second = static_cast<unsigned char>(FBytes[I + 1]);
        return BigEndian ? (first << 8) | second : (second << 8) | first;
    }

    std::string_view FBytes;
    std::size_t FAt = 0;
};

// Every byte is a character: never fails.
class TWindows1252Reader {
public:
    explicit TWindows1252Reader(std::string_view Bytes) : FBytes(Bytes) {}
    bool Next(char32_t& C) {
        if (FAt >= FBytes.size())
            return false;
        const auto byte = static_cast<unsigned char>(FBytes[FAt++]);
        C = byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : char32_t{byte};
        return true;
    }
    bool Failed() const { return false; }
    std::string_view TakePlainRun() { return TakePlainAscii(FBytes, FAt); }
    static constexpr std::size_t UnitBytes = 1;

private:
    std::string_view FBytes;
    std::size_t FAt = 0;
};

// Whether every byte of Bytes reads in Reader's encoding.
template <class Reader>
bool ReadsWhole(std::string_view Bytes) {
    Reader reader(Bytes);
    char32_t c = 0;
    while (reader.Next(c)) {
    }
    return !reader.Failed();
}

} // namespace velmora::files
