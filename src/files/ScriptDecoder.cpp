#include "ScriptDecoder.h"

#include "CharacterReaders.h"
#include "HugePages.h"

#include <algorithm>
#include <cstdint>

namespace velmora::files {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEBom = "\xFF\xFE";
constexpr std::string_view Utf16BEBom = "\xFE\xFF";

// Characters the editor can type into a decoded script before its text has to grow.
constexpr std::size_t TypingRoom = 4096;

// The widest character a T holds.
template <class T>
constexpr char32_t Widest = std::is_same_v<T, std::uint8_t> ? 0xFF
                            : std::is_same_v<T, char16_t>   ? 0xFFFF
                                                            : 0x10FFFF;

// Characters as they come.
struct TKeepBreaks {
    template <class T>
    std::size_t Put(char32_t C, T* Out, std::size_t N) {
        Out[N] = static_cast<T>(C);
        return N + 1;
    }
    template <class T>
    std::size_t PutRun(std::string_view Run, T* Out, std::size_t N) {
        std::copy(Run.begin(), Run.end(), Out + N);
        return N + Run.size();
    }
    void Finish() {}
};

// Every line break made CR LF, and counted as it was: a CR is a break of its own unless an LF
// follows it.
class TCrLfBreaks {
public:
    explicit TCrLfBreaks(TLineBreakTally& Tally) : FTally(Tally) {}

    template <class T>
    std::size_t Put(char32_t C, T* Out, std::size_t N) {
        if (FAfterCr) {
            FAfterCr = false;
            if (C == U'\n') {
                Count(TLineBreak::lbCrLf);
                return N;
            }
            Count(TLineBreak::lbCr);
        }
        if (C != U'\r' && C != U'\n') {
            Out[N] = static_cast<T>(C);
            return N + 1;
        }
        if (C == U'\r')
            FAfterCr = true;
        else
            Count(TLineBreak::lbLf);
        Out[N] = static_cast<T>(U'\r');
        Out[N + 1] = static_cast<T>(U'\n');
        return N + 2;
    }
    // Characters that are neither CR nor LF.
    template <class T>
    std::size_t PutRun(std::string_view Run, T* Out, std::size_t N) {
        Finish();
        std::copy(Run.begin(), Run.end(), Out + N);
        return N + Run.size();
    }
    void Finish() {
        if (FAfterCr)
            Count(TLineBreak::lbCr);
        FAfterCr = false;
    }

private:
    void Count(TLineBreak Break) {
        // Each break is listed only once a second kind shows: before, all were the first kind.
        if (FTotal == 0)
            FFirst = Break;
        else if (FTally.Breaks.empty() && Break != FFirst)
            FTally.Breaks.assign(FTotal, FFirst);
        if (!FTally.Breaks.empty())
            FTally.Breaks.push_back(Break);
        ++FTally.Counts[static_cast<std::size_t>(Break)];
        ++FTotal;
    }

    TLineBreakTally& FTally;
    bool FAfterCr = false;
    TLineBreak FFirst = TLineBreak::lbCrLf;
    std::size_t FTotal = 0;
};

// Room for Count characters, in huge pages where it is big.
template <class T>
std::vector<T> NewChars(std::size_t Count) {
    std::vector<T> chars;
    chars.reserve(Count);
    AdviseHugePages(chars.data(), chars.capacity() * sizeof(T));
    chars.resize(Count);
    return chars;
}

// The first N characters of From in a wider vector with room for Room, From freed.
template <class Wide, class Narrow>
std::vector<Wide> Widened(std::vector<Narrow>& From, std::size_t N, std::size_t Room) {
    std::vector<Wide> to = NewChars<Wide>(Room);
    std::copy(From.begin(), From.begin() + static_cast<std::ptrdiff_t>(N), to.begin());
    std::vector<Narrow>().swap(From);
    return to;
}

// Fills Chars from N on with what Reader reads, through Breaks; returns the new count. Stops at
// the end or with Pending holding a character too wide for T (one that was pending may be).
template <class T, class Reader, class Breaks>
std::size_t Fill(Reader& From, Breaks& Through, std::vector<T>& Chars, std::size_t N,
                 std::optional<char32_t>& Pending) {
    T* out = Chars.data();
    if (Pending) {
        if (*Pending > Widest<T>)
            return N;
        N = Through.Put(*Pending, out, N);
        Pending.reset();
    }
    for (char32_t c = 0;;) {
        if constexpr (requires { From.TakePlainRun(); })
            if (const std::string_view run = From.TakePlainRun(); !run.empty())
                N = Through.PutRun(run, out, N);
        if (!From.Next(c))
            return N;
        if (c > Widest<T>) {
            Pending = c;
            return N;
        }
        N = Through.Put(c, out, N);
    }
}

template <class Reader, class Breaks>
std::optional<TNarrowText> Decode(std::string_view Bytes, Breaks& Through, std::size_t Spare) {
    Reader reader(Bytes);
    const std::size_t room = Bytes.size() / Reader::UnitBytes + Spare;
    TNarrowText text;
    std::optional<char32_t> pending;
    text.Latin1 = NewChars<std::uint8_t>(room);
    std::size_t n = Fill(reader, Through, text.Latin1, 0, pending);
    if (pending) {
        text.Bmp = Widened<char16_t>(text.Latin1, n, room);
        text.Width = 2;
        n = Fill(reader, Through, text.Bmp, n, pending);
    }
    if (pending) {
        text.Full = text.Width == 1 ? Widened<char32_t>(text.Latin1, n, room)
                                    : Widened<char32_t>(text.Bmp, n, room);
        text.Width = 4;
        n = Fill(reader, Through, text.Full, n, pending);
    }
    if (reader.Failed())
        return std::nullopt;
    Through.Finish();
    // The room left stays as capacity: the editor types into it.
    if (text.Width == 1)
        text.Latin1.resize(n);
    else if (text.Width == 2)
        text.Bmp.resize(n);
    else
        text.Full.resize(n);
    return text;
}

template <class Reader>
std::optional<TNarrowText> DecodeWith(std::string_view Bytes, TLineBreakTally* Tally) {
    if (Tally == nullptr) {
        TKeepBreaks keep;
        return Decode<Reader>(Bytes, keep, 0);
    }
    *Tally = {};
    // A lone break takes one character more: room for that at every break, and for the first
    // characters typed into the script.
    const auto breaks = static_cast<std::size_t>(
        std::count_if(Bytes.begin(), Bytes.end(), [](char c) { return c == '\r' || c == '\n'; }));
    TCrLfBreaks crLf(*Tally);
    return Decode<Reader>(Bytes, crLf, breaks + TypingRoom);
}

} // namespace

std::optional<TNarrowText> DecodeNarrow(std::string_view Bytes, TTextEncoding Encoding,
                                        TLineBreakTally* Tally) {
    switch (Encoding) {
    case TTextEncoding::teWindows1252:
        return DecodeWith<TWindows1252Reader>(Bytes, Tally);
    case TTextEncoding::teUtf8:
        return DecodeWith<TUtf8Reader>(Bytes, Tally);
    case TTextEncoding::teUtf8Bom:
        if (!Bytes.starts_with(Utf8Bom))
            return std::nullopt;
        return DecodeWith<TUtf8Reader>(Bytes.substr(Utf8Bom.size()), Tally);
    case TTextEncoding::teUtf16LE:
        if (!Bytes.starts_with(Utf16LEBom))
            return std::nullopt;
        return DecodeWith<TUtf16Reader<false>>(Bytes.substr(2), Tally);
    case TTextEncoding::teUtf16BE:
        if (!Bytes.starts_with(Utf16BEBom))
            return std::nullopt;
        return DecodeWith<TUtf16Reader<true>>(Bytes.substr(2), Tally);
    }
    return std::nullopt;
}

TDetectedText DecodeNarrowDetected(std::string_view Bytes, TLineBreakTally* Tally) {
    // One pass over the bytes where it can: each decoder checks as it goes.
    for (const TTextEncoding encoding : {TTextEncoding::teUtf16LE, TTextEncoding::teUtf16BE})
        if (auto text = DecodeNarrow(Bytes, encoding, Tally))
            return {std::move(*text), encoding};
    const TTextEncoding utf8 =
        Bytes.starts_with(Utf8Bom) ? TTextEncoding::teUtf8Bom : TTextEncoding::teUtf8;
    if (auto text = DecodeNarrow(Bytes, utf8, Tally))
        return {std::move(*text), utf8};
    return {*DecodeNarrow(Bytes, TTextEncoding::teWindows1252, Tally),
            TTextEncoding::teWindows1252};
}

} // namespace velmora::files
