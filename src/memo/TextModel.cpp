// The editor's text, line index and the conversions between positions, lines and columns.
#include "MemoComponent.h"
#include "MemoComponentStrings.h"

#include <algorithm>
#include <cstring>

namespace memo {

std::u32string NormalizeLineBreaks(std::u32string_view Text) {
    std::u32string out;
    out.reserve(Text.size() + Text.size() / 64);
    for (size_t i = 0; i < Text.size(); ++i) {
        char32_t c = Text[i];
        if (c == U'\r') {
            out += U"\r\n";
            if (i + 1 < Text.size() && Text[i + 1] == U'\n')
                ++i;
        } else if (c == U'\n') {
            out += U"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

TMemoComponent::TMemoComponent(TMemoHost* Host, int RangeChunkShift)
    : FHost(Host), FRanges(std::make_unique<TMCRanges>(this, RangeChunkShift)),
      FWholeText(std::make_unique<TWholeTextRange>()),
      FLines(std::make_unique<TMemoComponentStrings>(this)) {
    FWholeText->SetEditor(this);
    FVisibleRange = new TVisibleRange(FRanges.get());
    FSelection = new TSelectionRange(FRanges.get());
    FLineStarts.Add(1);
    FLineWidths.Insert(0, 0);
}

TMemoComponent::~TMemoComponent() {
    // Selection and view first, then the remaining ranges with their collection.
    delete FSelection;
    FSelection = nullptr;
    delete FVisibleRange;
    FVisibleRange = nullptr;
    FRanges.reset();
    FWholeText.reset();
}

size_t TMemoComponent::MemoryBytes() const {
    return FText.CapacityBytes() + FLineStarts.CapacityBytes() + FLineWidths.CapacityBytes() +
           FRanges->MemoryBytes();
}

char32_t TMemoComponent::CharAt(int Pos) const {
    return Pos >= 1 && Pos <= FTextLength ? FText.At(Pos - 1) : U'\0';
}

std::u32string TMemoComponent::Chars(int Start, int End) const {
    Start = std::max(Start, 1);
    End = std::min(End, FTextLength);
    if (End < Start)
        return {};
    return FText.Substr(Start - 1, End - Start + 1);
}

void TMemoComponent::PosToLineCol(int Pos, TLineCol& LC) const {
    // The last line whose start is not after Pos (the first line for positions before it).
    int low = 0;
    int high = LineCount() - 1;
    while (low < high) {
        int mid = low + (high - low + 1) / 2;
        if (FLineStarts.Get(mid) <= Pos)
            low = mid;
        else
            high = mid - 1;
    }
    LC.Line = low + 1;
    LC.Col = ClampToInt(std::int64_t{Pos} - FLineStarts.Get(low) + 1);
}

int TMemoComponent::LineColToPos(const TLineCol& LC) const {
    if (LC.Line <= 0)
        return LC.Col;
    if (LC.Line > LineCount())
        return ClampToInt(std::int64_t{FTextLength} + LC.Col + 2);
    return ClampToInt(std::int64_t{LC.Col} + FLineStarts.Get(LC.Line - 1) - 1);
}

int TMemoComponent::LineLength(int Line) const {
    return LineColToPos(Line + 1, 0) - LineColToPos(Line, 0) - 2;
}

int TMemoComponent::LineDisplayWidth(int Line) const {
    return CharColToDisplayCol(LineCol(Line, LineLength(Line) + 1)) - 1;
}

int TMemoComponent::CharColToDisplayCol(const TLineCol& LC) const {
    // Characters before Col, from the line's first one; those beyond the text count 1 each.
    int first = LineColToPos(LC.Line, 1);
    std::int64_t count = std::int64_t{LC.Col} - 1;
    std::int64_t j = 0;
    std::int64_t walked = 0;
    for (int pos = first; walked < count && pos <= FTextLength; ++pos, ++walked)
        j = pos >= 1 ? NextDisplayCount(j, FText.At(pos - 1)) : j + 1;
    if (walked < count)
        j += count - walked;
    return ClampToInt(j + 1);
}

int TMemoComponent::DisplayToCharColStart(TLineCol& LC) const {
    LC.Line = std::clamp(LC.Line, 1, LineCount());
    int length = LineLength(LC.Line);
    int target = LC.Col;
    int first = LineColToPos(LC.Line, 1);
    int j = 0;     // display columns up to and including character c
    int start = 1; // display column at which character c starts
    int c = 1;
    while (c <= length) {
        start = j + 1;
        int pos = first + c - 1;
        j = NextDisplayCount(j, FText.At(pos - 1));
        if (j >= target)
            break;
        ++c;
    }
    if (c > length)
        start = j + 1; // the position after the line's last character
    LC.Col = std::clamp(c, 1, length + 1);
    return start;
}

void TMemoComponent::DisplayToCharCol(TLineCol& LC) const {
    DisplayToCharColStart(LC);
}

int TMemoComponent::TabWidthAt(int Pos) const {
    if (FTabSize < 2)
        return FTabSize;
    int k = CharColToDisplayCol(PosToLineCol(Pos)) - 1;
    return FTabSize - k % FTabSize;
}

int TMemoComponent::MeasureLine(int Line) const {
    int first = FLineStarts.Get(Line - 1);
    int end = first + LineLength(Line);
    int j = 0;
    for (int pos = first; pos < end; ++pos)
        j = NextDisplayCount(j, FText.At(pos - 1));
    return j;
}

void TMemoComponent::RemeasureAllLines() {
    FLineWidths.Clear();
    for (int line = 1; line <= LineCount(); ++line)
        FLineWidths.Insert(line - 1, MeasureLine(line));
    FMaxLineWidth = FLineWidths.Max();
}

int TMemoComponent::ReplaceTextAndLineIndex(int S, int F, std::u32string_view NewText) {
    int oldLength = F - S + 1;
    int delta = static_cast<int>(NewText.size()) - oldLength;
    int oldLines = LineCount();
    int ls = PosToLineCol(S).Line;
    bool wholeText = S == 1 && F == FTextLength;
    if (wholeText) {
        FLineStarts.Clear();
        FLineStarts.Add(1);
        FLineWidths.Clear();
        FLineWidths.Insert(0, 0);
    } else {
        // The line breaks inside the replaced text vanish with their lines. The widths of all
        // touched lines leave the count, so that the widest line is always known exactly.
        int le = PosToLineCol(F + 1).Line;
        for (int k = le; k >= ls + 1; --k) {
            FLineStarts.Delete(k - 1);
            FLineWidths.Delete(k - 1);
        }
    }
    FText.Replace(S - 1, oldLength, NewText);
    FTextLength += delta;

    // New line starts, and the widths of the lines that lie wholly inside the new text, in one
    // pass over it; the first and last new lines also hold old text and are measured after.
    int inserted = 0;
    int width = 0;
    for (size_t i = 0; i < NewText.size(); ++i) {
        char32_t c = NewText[i];
        if (c == U'\r' && i + 1 < NewText.size() && NewText[i + 1] == U'\n') {
            if (inserted > 0)
                FLineWidths.Put(ls + inserted - 1, width);
            FLineStarts.Insert(ls + inserted, S + static_cast<int>(i) + 2);
            FLineWidths.Insert(ls + inserted, 0);
            ++inserted;
            ++i;
            width = 0;
        } else {
            width = NextDisplayCount(width, c);
        }
    }
    FLineStarts.AddFrom(ls + inserted, delta);

    FLineWidths.Put(ls - 1, MeasureLine(ls));
    if (inserted > 0)
        FLineWidths.Put(ls + inserted - 1, MeasureLine(ls + inserted));
    FMaxLineWidth = FLineWidths.Max();
    return LineCount() - oldLines;
}

bool TMemoComponent::IndexLines(const TTextBuffer& Text, TIntegerList& Starts,
                                TLineWidths& Widths) const {
    bool crLfOnly = true;
    Text.VisitRuns([&](const auto& Runs) {
        crLfOnly = Runs.SecondLength == 0;
        Starts.Add(1);
        if constexpr (sizeof(*Runs.First) == 1)
            crLfOnly = crLfOnly && IndexLatin1Lines(Runs.First, Runs.FirstLength, Starts, Widths);
        else
            crLfOnly = crLfOnly && IndexWideLines(Runs.First, Runs.FirstLength, Starts, Widths);
    });
    return crLfOnly;
}

template <class T>
bool TMemoComponent::IndexWideLines(const T* Chars, std::ptrdiff_t Length, TIntegerList& Starts,
                                    TLineWidths& Widths) const {
    int width = 0;
    for (std::ptrdiff_t i = 0; i < Length; ++i) {
        const char32_t c = Chars[i];
        if (c != U'\r' && c != U'\n') {
            width = NextDisplayCount(width, c);
            continue;
        }
        if (c != U'\r' || i + 1 >= Length || Chars[i + 1] != U'\n')
            return false;
        Widths.Insert(Widths.Count(), width);
        Starts.Add(static_cast<int>(i) + 3); // 1-based, after the LF
        width = 0;
        ++i;
    }
    Widths.Insert(Widths.Count(), width);
    return true;
}

bool TMemoComponent::IndexLatin1Lines(const std::uint8_t* Chars, std::ptrdiff_t Length,
                                      TIntegerList& Starts, TLineWidths& Widths) const {
    // Every Latin-1 character takes one cell: a line without tabs is as wide as it is long.
    const std::uint8_t* end = Chars + Length;
    auto find = [](const std::uint8_t* From, const std::uint8_t* To, int C) {
        return static_cast<const std::uint8_t*>(
            std::memchr(From, C, static_cast<std::size_t>(To - From)));
    };
    for (const std::uint8_t* line = Chars;;) {
        const std::uint8_t* lf = find(line, end, '\n');
        const std::uint8_t* cr = find(line, lf != nullptr ? lf : end, '\r');
        if (lf != nullptr ? cr == nullptr || cr + 1 != lf : cr != nullptr)
            return false;
        const std::uint8_t* last = lf != nullptr ? cr : end;
        int width = static_cast<int>(last - line);
        if (find(line, last, '\t') != nullptr) {
            width = 0;
            for (const std::uint8_t* c = line; c < last; ++c)
                width = NextDisplayCount(width, *c);
        }
        Widths.Insert(Widths.Count(), width);
        if (lf == nullptr)
            return true;
        Starts.Add(static_cast<int>(lf - Chars) + 2); // 1-based, after the LF
        line = lf + 1;
    }
}

int TMemoComponent::AdoptTextAndLineIndex(TTextBuffer&& Text, TIntegerList&& Starts,
                                          TLineWidths&& Widths) {
    int oldLines = LineCount();
    FText = std::move(Text);
    FTextLength = FText.Length();
    FLineStarts = std::move(Starts);
    FLineWidths = std::move(Widths);
    FMaxLineWidth = FLineWidths.Max();
    return LineCount() - oldLines;
}

} // namespace memo
