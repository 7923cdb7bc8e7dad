#include "ScriptFile.h"

#include "LineMatching.h"
#include "SafeFile.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

namespace velmora::files {

namespace {

constexpr char32_t CR = U'\r';
constexpr char32_t LF = U'\n';
constexpr std::u32string_view CrLf = U"\r\n";

std::u32string_view CharactersOf(TLineBreak Break) {
    switch (Break) {
    case TLineBreak::lbLf:
        return U"\n";
    case TLineBreak::lbCr:
        return U"\r";
    default:
        return CrLf;
    }
}

std::size_t KindsPresent(const TBreakCounts& Counts) {
    std::size_t kinds = 0;
    for (std::size_t count : Counts)
        kinds += count > 0 ? 1 : 0;
    return kinds;
}

// The most common line break; on a tie, and in a text without any, CR LF before LF before CR.
TLineBreak MostCommon(const TBreakCounts& Counts) {
    std::size_t best = 0;
    for (std::size_t kind = 1; kind < Counts.size(); ++kind)
        if (Counts[kind] > Counts[best])
            best = kind;
    return static_cast<TLineBreak>(best);
}

void Count(TLineBreak Break, TBreakCounts& Counts) {
    ++Counts[static_cast<std::size_t>(Break)];
}

// Calls OnLine(line, index) for every line of Text, whose line breaks are CR LF; a text has one
// line more than it has line breaks.
template <class F>
void ForEachLine(std::u32string_view Text, F&& OnLine) {
    std::size_t start = 0;
    for (std::size_t index = 0;; ++index) {
        const std::size_t end = Text.find(CrLf, start);
        if (end == std::u32string_view::npos) {
            OnLine(Text.substr(start), index);
            return;
        }
        OnLine(Text.substr(start, end - start), index);
        start = end + CrLf.size();
    }
}

// A hash of every line of Text, whose line breaks are CR LF, the last line (without a break) too.
// FNV-1a: a collision costs no text, at most one line's original break.
template <class T>
std::vector<std::uint64_t> LineHashes(std::span<const T> Text) {
    constexpr std::uint64_t Basis = 14695981039346656037ull;
    std::vector<std::uint64_t> hashes;
    std::uint64_t hash = Basis;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == CR && i + 1 < Text.size() && Text[i + 1] == LF) {
            hashes.push_back(hash);
            hash = Basis;
            ++i;
            continue;
        }
        hash ^= static_cast<char32_t>(Text[i]);
        hash *= 1099511628211ull;
    }
    hashes.push_back(hash);
    return hashes;
}

std::vector<std::uint64_t> LineHashes(std::u32string_view Text) {
    return LineHashes(std::span<const char32_t>(Text.data(), Text.size()));
}

std::vector<std::uint64_t> LineHashes(const TNarrowText& Text) {
    return Text.Visit([](const auto& Chars) { return LineHashes(std::span(Chars)); });
}

// The breaks for the lines of Text, whose hashes are Now, in a file whose lines were Was: a line
// still there keeps its break, a new line gets Default.
std::vector<TLineBreak> BreaksAfterEdit(std::u32string_view Text,
                                        const std::vector<std::uint64_t>& Now,
                                        const TMixedLineBreaks& Was, TLineBreak Default) {
    const std::vector<std::size_t> matches = MatchLines(Was.LineHashes, Now);
    auto kept = [&](std::size_t Line) {
        return matches[Line] != NoMatch && matches[Line] < Was.Breaks.size();
    };
    std::vector<TLineBreak> breaks(Now.size() - 1, Default);
    for (std::size_t i = 0; i < breaks.size(); ++i)
        if (kept(i))
            breaks[i] = Was.Breaks[matches[i]];

    // A lone CR, an empty line and its LF would read back as one CR LF: one of the two lines
    // takes CR LF instead, the new one rather than one still there. CR LF never joins its
    // neighbours, so this makes no new such pair.
    std::vector<bool> empty;
    empty.reserve(Now.size());
    ForEachLine(Text,
                [&](std::u32string_view Line, std::size_t) { empty.push_back(Line.empty()); });
    for (std::size_t i = 0; i + 1 < breaks.size(); ++i) {
        if (breaks[i] != TLineBreak::lbCr || !empty[i + 1] || breaks[i + 1] != TLineBreak::lbLf)
            continue;
        breaks[kept(i + 1) && !kept(i) ? i : i + 1] = TLineBreak::lbCrLf;
    }
    return breaks;
}

// The 1-based line of Text (CR LF line breaks) that holds the character at Index.
std::size_t LineAt(std::u32string_view Text, std::size_t Index) {
    const std::u32string_view before = Text.substr(0, std::min(Index, Text.size()));
    return static_cast<std::size_t>(std::count(before.begin(), before.end(), LF)) + 1;
}

// Throws unless Bytes read back as Text when opened in Encoding, as the next open of a script
// whose encoding is remembered reads them.
void CheckReadsBack(std::string_view Bytes, std::u32string_view Text, TTextEncoding Encoding) {
    const TNarrowText back = DecodeScript(Bytes, Encoding).Text;
    if (back == Text)
        return;
    throw EScriptReadsBackOtherwise(
        std::string("Saved as ") + EncodingName(Encoding) +
        ", the script would not read back as it is: opened again, line " +
        std::to_string(LineAt(Text, FirstDifference(back, Text))) +
        " would hold other characters.");
}

// The format of a file with these breaks: mixed ones are remembered with their lines.
TScriptFormat FormatOf(TTextEncoding Encoding, TLineBreak Fallback, std::vector<TLineBreak> Breaks,
                       std::vector<std::uint64_t> Hashes) {
    TBreakCounts counts{};
    for (TLineBreak b : Breaks)
        Count(b, counts);
    TScriptFormat format;
    format.Encoding = Encoding;
    format.LineBreak = Breaks.empty() ? Fallback : MostCommon(counts);
    if (KindsPresent(counts) > 1)
        format.Mixed = {std::move(Hashes), std::move(Breaks)};
    return format;
}

} // namespace

TScriptText DecodeScript(std::string_view Bytes, std::optional<TTextEncoding> Encoding) {
    TLineBreakTally tally;
    std::optional<TDetectedText> remembered;
    if (Encoding)
        if (std::optional<TNarrowText> text = DecodeNarrow(Bytes, *Encoding, &tally))
            remembered = TDetectedText{std::move(*text), *Encoding};
    TDetectedText decoded =
        remembered ? std::move(*remembered) : DecodeNarrowDetected(Bytes, &tally);
    TScriptText script;
    script.Format.Encoding = decoded.Encoding;
    script.Format.LineBreak = MostCommon(tally.Counts);
    script.Text = std::move(decoded.Text);
    if (KindsPresent(tally.Counts) > 1)
        script.Format.Mixed = {LineHashes(script.Text), std::move(tally.Breaks)};
    return script;
}

TEncodedScript EncodeScript(std::u32string_view Text, const TScriptFormat& Format) {
    TEncodedScript encoded;
    const bool mixed = !Format.Mixed.Breaks.empty();
    std::vector<std::uint64_t> hashes;
    std::vector<TLineBreak> breaks;
    if (mixed) {
        hashes = LineHashes(Text);
        breaks = BreaksAfterEdit(Text, hashes, Format.Mixed, Format.LineBreak);
    }

    const TTextEncoder encoder(Format.Encoding);
    const bool wide =
        Format.Encoding == TTextEncoding::teUtf16LE || Format.Encoding == TTextEncoding::teUtf16BE;
    encoded.Bytes.reserve(Text.size() * (wide ? 2 : 1) + 4);
    encoder.AppendByteOrderMark(encoded.Bytes);
    ForEachLine(Text, [&](std::u32string_view Line, std::size_t Index) {
        if (Index > 0)
            for (char32_t c : CharactersOf(mixed ? breaks[Index - 1] : Format.LineBreak))
                encoder.Append(c, encoded.Bytes);
        for (char32_t c : Line)
            encoder.Append(c, encoded.Bytes);
    });
    CheckReadsBack(encoded.Bytes, Text, Format.Encoding);

    encoded.Format =
        mixed ? FormatOf(Format.Encoding, Format.LineBreak, std::move(breaks), std::move(hashes))
              : Format;
    return encoded;
}

TScriptText ReadScriptFile(const std::string& Path, const TRememberedEncoding& Remembered) {
    TFileIdentity identity;
    const std::string bytes = ReadRegularFile(Path, MaxScriptFileBytes, &identity);
    TScriptText script =
        DecodeScript(bytes, Remembered ? Remembered(Path, identity) : std::nullopt);
    script.Identity = identity;
    return script;
}

} // namespace velmora::files
