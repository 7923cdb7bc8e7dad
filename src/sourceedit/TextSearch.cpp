#include "TextSearch.h"

#include "CharClasses.h"

#define PCRE2_CODE_UNIT_WIDTH 32
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <pcre2.h>
#include <stdexcept>

namespace sourceedit {

namespace {

// How far the marks of a few lines look beyond them, and how far a replacement looks around its
// match, however long the line is.
constexpr int ContextReach = 4096;

// Case folding for searches without case: ASCII and Latin-1 letters.
char32_t FoldCase(char32_t C) {
    if ((C >= U'A' && C <= U'Z') || (C >= 0xC0 && C <= 0xDE && C != 0xD7))
        return C + 32;
    return C;
}

// The stored characters of the text, read across the gap as one sequence.
template <class T>
struct TCharsView {
    const T* First;
    std::ptrdiff_t FirstLength;
    const T* Second;
    char32_t operator[](std::ptrdiff_t Index) const {
        return Index < FirstLength ? First[Index] : Second[Index - FirstLength];
    }
};

template <class TRuns>
auto ViewOf(const TRuns& Runs) {
    return TCharsView<std::remove_cv_t<std::remove_pointer_t<decltype(Runs.First)>>>{
        Runs.First, Runs.FirstLength, Runs.Second};
}

using TShiftTable = std::array<std::ptrdiff_t, 256>;

// Horspool's shifts, indexed by the low byte of a character: a character whose low byte is
// shared takes the smallest shift of them, which is always safe.
TShiftTable ForwardShifts(const std::u32string& Needle) {
    std::ptrdiff_t m = static_cast<std::ptrdiff_t>(Needle.size());
    TShiftTable shifts;
    shifts.fill(m);
    for (std::ptrdiff_t k = 0; k + 1 < m; ++k)
        shifts[Needle[static_cast<size_t>(k)] & 0xFF] = m - 1 - k;
    return shifts;
}

// The same for scanning backward: the window's first character decides the shift.
TShiftTable BackwardShifts(const std::u32string& Needle) {
    std::ptrdiff_t m = static_cast<std::ptrdiff_t>(Needle.size());
    TShiftTable shifts;
    shifts.fill(m);
    for (std::ptrdiff_t k = m - 1; k >= 1; --k)
        shifts[Needle[static_cast<size_t>(k)] & 0xFF] = k;
    return shifts;
}

template <bool Fold, class View>
bool MatchesAt(const View& Chars, std::ptrdiff_t At, const std::u32string& Needle) {
    for (size_t k = 0; k < Needle.size(); ++k) {
        char32_t c = Chars[At + static_cast<std::ptrdiff_t>(k)];
        if ((Fold ? FoldCase(c) : c) != Needle[k])
            return false;
    }
    return true;
}

// The first start in From … Limit − m where Needle matches and Accept agrees; −1 when none.
template <bool Fold, class View, class Accept>
std::ptrdiff_t ScanForward(const View& Chars, std::ptrdiff_t From, std::ptrdiff_t Limit,
                           const std::u32string& Needle, const TShiftTable& Shifts,
                           Accept&& Accepts) {
    std::ptrdiff_t m = static_cast<std::ptrdiff_t>(Needle.size());
    char32_t last = Needle.back();
    for (std::ptrdiff_t i = From; i + m <= Limit;) {
        char32_t c = Chars[i + m - 1];
        if (Fold)
            c = FoldCase(c);
        if (c == last && MatchesAt<Fold>(Chars, i, Needle) && Accepts(i))
            return i;
        i += Shifts[c & 0xFF];
    }
    return -1;
}

// The last start in Floor … From − 1 where Needle matches and Accept agrees; −1 when none.
template <bool Fold, class View, class Accept>
std::ptrdiff_t ScanBackward(const View& Chars, std::ptrdiff_t From, std::ptrdiff_t Floor,
                            std::ptrdiff_t Length, const std::u32string& Needle,
                            const TShiftTable& Shifts, Accept&& Accepts) {
    std::ptrdiff_t m = static_cast<std::ptrdiff_t>(Needle.size());
    char32_t first = Needle.front();
    for (std::ptrdiff_t i = std::min(From - 1, Length - m); i >= Floor;) {
        char32_t c = Chars[i];
        if (Fold)
            c = FoldCase(c);
        if (c == first && MatchesAt<Fold>(Chars, i, Needle) && Accepts(i))
            return i;
        i -= Shifts[c & 0xFF];
    }
    return -1;
}

bool IsLineBreak(char32_t C) {
    return C == U'\r' || C == U'\n';
}

// The start of the line that holds Pos, looking back at most Reach characters (Pos − Reach when
// the line starts before that).
int LineStartOf(const memo::TTextBuffer& Text, int Pos, int Reach) {
    int floor = std::max(0, Pos - Reach);
    for (int i = Pos; i > floor; --i)
        if (Text.At(i - 1) == U'\n')
            return i;
    return floor;
}

// The end of the line from Pos (its first line break, or the end of the text), looking ahead at
// most Reach characters.
int LineEndOf(const memo::TTextBuffer& Text, int Pos, int Reach) {
    int limit = Reach >= Text.Length() - Pos ? Text.Length() : Pos + Reach;
    for (int i = Pos; i < limit; ++i)
        if (IsLineBreak(Text.At(i)))
            return i;
    return limit;
}

// The start of the line after the one that ends at LineEnd.
int NextLineStart(const memo::TTextBuffer& Text, int LineEnd) {
    if (Text.At(LineEnd) == U'\r' && LineEnd + 1 < Text.Length() && Text.At(LineEnd + 1) == U'\n')
        return LineEnd + 2;
    return LineEnd + 1;
}

bool AtLineStart(const memo::TTextBuffer& Text, int Pos) {
    return Pos == 0 || Text.At(Pos - 1) == U'\n';
}

bool AtLineEnd(const memo::TTextBuffer& Text, int Pos) {
    return Pos >= Text.Length() || IsLineBreak(Text.At(Pos));
}

std::string ErrorText(int Code) {
    PCRE2_UCHAR buffer[256];
    int length = pcre2_get_error_message(Code, buffer, 256);
    std::string text;
    for (int i = 0; i < length; ++i)
        text += buffer[i] < 128 ? static_cast<char>(buffer[i]) : '?';
    return text;
}

constexpr int Unlimited = std::numeric_limits<int>::max();

} // namespace

// A compiled expression with the bounds every match runs under: no pattern can make a search hang
// or exhaust the stack, it is given up on instead.
class TTextSearch::TRegex {
public:
    enum class TOutcome { Found, None, GaveUp };

    TRegex(std::u32string_view Pattern, bool MatchCase, std::string& Error) {
        uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | (MatchCase ? 0 : PCRE2_CASELESS);
        int code = 0;
        PCRE2_SIZE offset = 0;
        FCode = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Pattern.data()), Pattern.size(), options,
                              &code, &offset, nullptr);
        if (FCode == nullptr) {
            Error = ErrorText(code) + " at character " + std::to_string(offset + 1);
            return;
        }
        pcre2_jit_compile(FCode, PCRE2_JIT_COMPLETE);
        FData = pcre2_match_data_create_from_pattern(FCode, nullptr);
        FContext = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(FContext, 5'000'000);
        pcre2_set_depth_limit(FContext, 100'000);
        FJitStack = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
        pcre2_jit_stack_assign(FContext, nullptr, FJitStack);
    }
    ~TRegex() {
        pcre2_jit_stack_free(FJitStack);
        pcre2_match_context_free(FContext);
        pcre2_match_data_free(FData);
        pcre2_code_free(FCode);
    }
    TRegex(const TRegex&) = delete;
    TRegex& operator=(const TRegex&) = delete;

    bool Compiled() const { return FCode != nullptr; }

    // The first non-empty match in Subject from Offset on: its start and end in Subject.
    TOutcome Match(const std::u32string& Subject, size_t Offset, uint32_t Options, int& Start,
                   int& End) const {
        int rc = pcre2_match(FCode, Subject8(Subject), Subject.size(), Offset,
                             Options | PCRE2_NOTEMPTY, FData, FContext);
        if (rc == PCRE2_ERROR_NOMATCH)
            return TOutcome::None;
        if (rc < 0)
            return TOutcome::GaveUp;
        PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(FData);
        Start = static_cast<int>(ovector[0]);
        End = static_cast<int>(ovector[1]);
        return TOutcome::Found;
    }

    // Replacement with the groups of the match at Offset filled in.
    std::u32string Substitute(const std::u32string& Subject, size_t Offset, uint32_t Options,
                              std::u32string_view Replacement) const {
        std::u32string out(Replacement.size() + 64, U'\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            PCRE2_SIZE length = out.size();
            int rc = pcre2_substitute(
                FCode, Subject8(Subject), Subject.size(), Offset,
                Options | PCRE2_ANCHORED | PCRE2_NOTEMPTY | PCRE2_SUBSTITUTE_REPLACEMENT_ONLY |
                    PCRE2_SUBSTITUTE_OVERFLOW_LENGTH,
                FData, FContext, reinterpret_cast<PCRE2_SPTR>(Replacement.data()),
                Replacement.size(), reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
            if (rc == PCRE2_ERROR_NOMEMORY) {
                out.resize(length);
                continue;
            }
            if (rc < 0)
                throw std::invalid_argument(ErrorText(rc));
            if (rc == 0)
                throw std::invalid_argument("the match is no longer there");
            out.resize(length);
            return out;
        }
        throw std::invalid_argument("the replacement does not fit");
    }

private:
    static PCRE2_SPTR Subject8(const std::u32string& Subject) {
        return reinterpret_cast<PCRE2_SPTR>(Subject.data());
    }

    pcre2_code* FCode = nullptr;
    pcre2_match_data* FData = nullptr;
    pcre2_match_context* FContext = nullptr;
    pcre2_jit_stack* FJitStack = nullptr;
};

TTextSearch::TTextSearch(std::u32string_view Pattern, TSearchOptions Options)
    : FPattern(Pattern), FOptions(Options) {
    if (FPattern.empty())
        return;
    if (FOptions.RegularExpression) {
        FRegex = std::make_unique<TRegex>(FPattern, FOptions.MatchCase, FError);
        if (!FRegex->Compiled())
            FRegex.reset();
    } else if (!FOptions.MatchCase) {
        std::transform(FPattern.begin(), FPattern.end(), FPattern.begin(), FoldCase);
    }
}

TTextSearch::~TTextSearch() = default;

bool TTextSearch::Valid() const {
    return !FPattern.empty() && (!FOptions.RegularExpression || FRegex != nullptr);
}

bool TTextSearch::AcceptsWord(const memo::TTextBuffer& Text, int Start, int Length) const {
    if (!FOptions.WholeWord)
        return true;
    int end = Start + Length;
    return (Start == 0 || !IsWordChar(Text.At(Start - 1))) &&
           (end >= Text.Length() || !IsWordChar(Text.At(end)));
}

TTextMatch TTextSearch::Next(const memo::TTextBuffer& Text, int From, int Limit) const {
    if (!Valid())
        return {};
    From = std::max(From, 0);
    Limit = std::min(Limit, Text.Length());
    if (From >= Limit)
        return {};
    return FRegex ? NextRegex(Text, From, Limit) : NextPlain(Text, From, Limit);
}

TTextMatch TTextSearch::Previous(const memo::TTextBuffer& Text, int From, int Floor) const {
    if (!Valid())
        return {};
    From = std::min(From, Text.Length());
    Floor = std::max(Floor, 0);
    if (From <= Floor)
        return {};
    return FRegex ? PreviousRegex(Text, From, Floor) : PreviousPlain(Text, From, Floor);
}

TTextMatch TTextSearch::NextPlain(const memo::TTextBuffer& Text, int From, int Limit) const {
    std::ptrdiff_t found = -1;
    int m = static_cast<int>(FPattern.size());
    auto accepts = [&](std::ptrdiff_t At) { return AcceptsWord(Text, static_cast<int>(At), m); };
    TShiftTable shifts = ForwardShifts(FPattern);
    Text.VisitRuns([&](const auto& Runs) {
        auto chars = ViewOf(Runs);
        found = FOptions.MatchCase
                    ? ScanForward<false>(chars, From, Limit, FPattern, shifts, accepts)
                    : ScanForward<true>(chars, From, Limit, FPattern, shifts, accepts);
    });
    return found < 0 ? TTextMatch{} : TTextMatch{static_cast<int>(found), m};
}

TTextMatch TTextSearch::PreviousPlain(const memo::TTextBuffer& Text, int From, int Floor) const {
    std::ptrdiff_t found = -1;
    int m = static_cast<int>(FPattern.size());
    auto accepts = [&](std::ptrdiff_t At) { return AcceptsWord(Text, static_cast<int>(At), m); };
    TShiftTable shifts = BackwardShifts(FPattern);
    Text.VisitRuns([&](const auto& Runs) {
        auto chars = ViewOf(Runs);
        std::ptrdiff_t length = Text.Length();
        found = FOptions.MatchCase
                    ? ScanBackward<false>(chars, From, Floor, length, FPattern, shifts, accepts)
                    : ScanBackward<true>(chars, From, Floor, length, FPattern, shifts, accepts);
    });
    return found < 0 ? TTextMatch{} : TTextMatch{static_cast<int>(found), m};
}

TTextMatch TTextSearch::NextRegex(const memo::TTextBuffer& Text, int From, int Limit) const {
    std::u32string line;
    for (int lineStart = LineStartOf(Text, From, Unlimited); lineStart < Limit;) {
        int lineEnd = LineEndOf(Text, lineStart, Unlimited);
        int length = std::min(lineEnd, Limit) - lineStart;
        line.resize(static_cast<size_t>(length));
        Text.CopyOut(lineStart, length, line.data());
        uint32_t options = lineEnd > Limit ? PCRE2_NOTEOL : 0;
        int start = 0;
        int end = 0;
        for (size_t offset = static_cast<size_t>(std::max(From - lineStart, 0));
             offset < line.size();) {
            TRegex::TOutcome outcome = FRegex->Match(line, offset, options, start, end);
            if (outcome == TRegex::TOutcome::GaveUp)
                FGaveUp = true;
            if (outcome != TRegex::TOutcome::Found)
                break;
            if (AcceptsWord(Text, lineStart + start, end - start))
                return TTextMatch{lineStart + start, end - start};
            offset = static_cast<size_t>(start) + 1;
        }
        if (lineEnd >= Text.Length())
            break;
        lineStart = NextLineStart(Text, lineEnd);
    }
    return {};
}

TTextMatch TTextSearch::PreviousRegex(const memo::TTextBuffer& Text, int From, int Floor) const {
    std::u32string line;
    for (int lineEnd = LineEndOf(Text, LineStartOf(Text, From - 1, Unlimited), Unlimited);;) {
        int lineStart = LineStartOf(Text, lineEnd, Unlimited);
        int first = std::max(lineStart, Floor);
        line.resize(static_cast<size_t>(lineEnd - lineStart));
        Text.CopyOut(lineStart, lineEnd - lineStart, line.data());
        TTextMatch last;
        int start = 0;
        int end = 0;
        for (size_t offset = static_cast<size_t>(first - lineStart); offset < line.size();) {
            TRegex::TOutcome outcome = FRegex->Match(line, offset, 0, start, end);
            if (outcome == TRegex::TOutcome::GaveUp)
                FGaveUp = true;
            if (outcome != TRegex::TOutcome::Found || lineStart + start >= From)
                break;
            if (AcceptsWord(Text, lineStart + start, end - start))
                last = TTextMatch{lineStart + start, end - start};
            offset = static_cast<size_t>(start) + 1;
        }
        if (last.Found())
            return last;
        // The line break before this line ends the previous one.
        if (lineStart <= Floor)
            break;
        lineEnd = lineStart - 1;
        if (lineEnd > 0 && Text.At(lineEnd - 1) == U'\r')
            --lineEnd;
    }
    return {};
}

void TTextSearch::Overlapping(const memo::TTextBuffer& Text, int Start, int End,
                              std::vector<TTextMatch>& Matches) const {
    if (!Valid())
        return;
    Start = std::max(Start, 0);
    End = std::min(End, Text.Length());
    if (!FRegex) {
        int reach = static_cast<int>(FPattern.size()) - 1;
        int limit = std::min(Text.Length(), End + reach);
        for (TTextMatch m = Next(Text, Start - reach, limit); m.Found() && m.Start < End;
             m = Next(Text, m.End(), limit)) {
            if (m.End() > Start)
                Matches.push_back(m);
        }
        return;
    }
    std::u32string window;
    for (int from = LineStartOf(Text, Start, ContextReach); from < End;) {
        int to = LineEndOf(Text, std::max(from, Start), End - std::max(from, Start) + ContextReach);
        uint32_t options =
            (AtLineStart(Text, from) ? 0 : PCRE2_NOTBOL) | (AtLineEnd(Text, to) ? 0 : PCRE2_NOTEOL);
        window.resize(static_cast<size_t>(to - from));
        Text.CopyOut(from, to - from, window.data());
        int start = 0;
        int end = 0;
        for (size_t offset = 0; offset < window.size();) {
            TRegex::TOutcome outcome = FRegex->Match(window, offset, options, start, end);
            if (outcome == TRegex::TOutcome::GaveUp)
                FGaveUp = true;
            if (outcome != TRegex::TOutcome::Found || from + start >= End)
                break;
            bool accepted = AcceptsWord(Text, from + start, end - start);
            if (accepted && from + end > Start)
                Matches.push_back(TTextMatch{from + start, end - start});
            offset = static_cast<size_t>(accepted ? end : start + 1);
        }
        if (to >= Text.Length() || !AtLineEnd(Text, to))
            break;
        from = NextLineStart(Text, to);
    }
}

std::u32string TTextSearch::Substitute(const memo::TTextBuffer& Text, TTextMatch Match,
                                       std::u32string_view Replacement) const {
    if (!FRegex)
        return std::u32string(Replacement);
    int from = LineStartOf(Text, Match.Start, ContextReach);
    int to = LineEndOf(Text, Match.End(), ContextReach);
    uint32_t options =
        (AtLineStart(Text, from) ? 0 : PCRE2_NOTBOL) | (AtLineEnd(Text, to) ? 0 : PCRE2_NOTEOL);
    std::u32string window = Text.Substr(from, to - from);
    return FRegex->Substitute(window, static_cast<size_t>(Match.Start - from), options,
                              Replacement);
}

} // namespace sourceedit
