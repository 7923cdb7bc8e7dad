#include "SyntaxScanner.h"

#include "CharClasses.h"
#include "SyntaxRanges.h"

#include <algorithm>

namespace sourceedit {

// --- TTextReader -----------------------------------------------------------------------------

void TTextReader::Load(int Pos) {
    int length = FText.Length();
    FFrom = std::clamp(Pos - Behind, 1, std::max(length, 1));
    FTo = std::min(FFrom + WindowSize, length + 1);
    if (FTo > FFrom)
        FText.CopyOut(FFrom - 1, FTo - FFrom, FWindow.data());
}

std::u32string_view TTextReader::Chars(int Pos, int Count) {
    Count = std::min(Count, Length() - Pos + 1);
    if (Count <= 0 || Pos < 1)
        return {};
    if (Pos < FFrom || Pos + Count > FTo)
        Load(Pos);
    Count = std::min(Count, FTo - Pos);
    return std::u32string_view(FWindow.data() + (Pos - FFrom), static_cast<size_t>(Count));
}

// --- TChainMerge -----------------------------------------------------------------------------

TChainMerge::TChainMerge(TSyntaxChain& Chain, int From, std::span<const int> Modified)
    : FChain(Chain), FModified(Modified), FFlushedTo(From - 1), FTouchedTo(From - 1),
      FOld(Chain.At(From)) {}

bool TChainMerge::InsertSyntaxRange(TSyntaxKind Kind, int Attribute, int From, int To) {
    const TSyntaxToken New{Kind, Attribute, From, To};
    bool same = false;
    if (!FOld.Valid()) { // nothing old is left: a full scan
        Keep(Kind, Attribute, From, To);
        return false;
    }
    for (; FOld.Valid(); FOld.Next(), FOldFrom = 0) {
        const TSyntaxToken& old = FOld.Token();
        int oldStart = std::max(old.RStart, FOldFrom);
        if (oldStart > New.REnd && old.REnd > New.REnd)
            break;
        FTouchedTo = old.REnd;
        if (!old.IsRange()) {
            // Characters that no range covered: New covers some of them.
            if (old.REnd > New.REnd) {
                FOldFrom = New.REnd + 1;
                break;
            }
            continue;
        }
        bool textChanged =
            (old.Kind == TSyntaxKind::skSymbol || old.Kind == TSyntaxKind::skNumber) &&
            std::find(FModified.begin(), FModified.end(), old.RStart) != FModified.end();
        same = !textChanged && SameAs(old, New);
    }
    Keep(Kind, Attribute, From, To);
    return same;
}

void TChainMerge::Keep(TSyntaxKind Kind, int Attribute, int From, int To) {
    // From the values, not from a token just written field by field: copying that in one wide
    // load would wait for the writes to reach memory, and cost more than the rest of keeping it.
    FNew.push_back(TSyntaxToken{Kind, Attribute, From, To});
    if (FNew.size() >= Batch)
        Flush();
}

void TChainMerge::Flush() {
    int newEnd = FNew.empty() ? FFlushedTo : FNew.back().REnd;
    int to = std::max(FTouchedTo, FFlushedTo);
    if (FNew.empty() && to == FFlushedTo)
        return;
    // What old ranges the new ones replaced cover beyond them is not covered yet.
    if (to > newEnd)
        FNew.push_back(TSyntaxToken{TSyntaxKind::skGap, 0, newEnd + 1, to});
    FLevelShift += FChain.Replace(FFlushedTo + 1, to, FNew);
    FNew.clear();
    FFlushedTo = newEnd;
    FTouchedTo = newEnd;
    FOld = FChain.At(newEnd + 1);
    FOldFrom = 0;
}

int TChainMerge::Finish() {
    Flush();
    return FLevelShift;
}

// --- TSyntaxScanner --------------------------------------------------------------------------

int TSyntaxScanner::Run(int Start, int End, int Limit) {
    FP = Start;
    FS = Start;
    FL = 0;
    FK = TPending::tkPlain;
    FCS = -1;
    FInStyle = false;
    FEndSearch = 0;
    FDepth = 0;
    return Scan(End, Limit);
}

int TSyntaxScanner::Resume(const TPause& Pause, int End, int Limit) {
    FP = Pause.Pos;
    FS = Pause.TokenStart;
    FL = Pause.TokenLength;
    FK = Pause.Kind;
    FCS = Pause.Style;
    FInStyle = Pause.InStyle;
    FEndSearch = Pause.EndSearch;
    FDepth = Pause.Depth;
    return Scan(End, Limit);
}

int TSyntaxScanner::Scan(int End, int Limit) {
    FMatched = false;
    FPaused = false;
    FLimit = Limit;
    int length = FText.Length();
    auto goesOn = [&] { return FP <= length && (FP <= End + 2 || !FMatched || FInStyle); };
    if (FEndSearch != 0)
        FinishStyle();
    while (FEndSearch == 0 && FP <= Limit && goesOn())
        Step();
    if (FEndSearch != 0 || goesOn()) {
        int examined = std::max(FP, FEndSearch) - 1;
        PauseHere();
        return examined;
    }
    int examined = FP - 1;
    if (FP > length)
        Emit();
    return examined;
}

void TSyntaxScanner::PauseHere() {
    FPaused = true;
    FPause = TPause{FP, FS, FL, FK, FCS, FInStyle, FEndSearch, FDepth, SettledEnd()};
    if (FEndSearch != 0)
        FL = FEndSearch - FS;
    Emit();
}

int TSyntaxScanner::SettledEnd() {
    if (FEndSearch != 0)
        return FEndSearch - 1; // all of it is in the style
    if (FK != TPending::tkPlain)
        return FP - 1; // a style, symbols or a parenthesis: of one colour however far they go
    // Plain text keeps its words, but the one the pause cut may be another word when whole.
    int end = FP - 1;
    while (end >= FS && (FLexicon.ClassOf(FText.At(end)) & TSyntaxLexicon::ccIdent))
        --end;
    return end;
}

int TSyntaxScanner::FindStyleAt(int Pos) {
    return FLexicon.FindStyleAt(FText.Chars(Pos, TCustomStyles::LookAhead), IdentBefore(Pos));
}

void TSyntaxScanner::Step() {
    FMatched = false;
    FInStyle = false;
    char32_t c = FText.At(FP);
    std::uint8_t cls = FLexicon.ClassOf(c);
    bool mayBegin = (cls & TSyntaxLexicon::ccStyleBegin) &&
                    !((cls & TSyntaxLexicon::ccStyleAtWordStart) && IdentBefore(FP));
    int found = mayBegin ? FindStyleAt(FP) : -1;
    bool inStyle = FK == TPending::tkStyle && FCS >= 0;
    if (inStyle && found >= 0) {
        const TSyntaxLexicon::TStyle& current = FLexicon.Style(FCS);
        if ((found == FCS && current.Switchable) || found == current.DontSwitchTo1 ||
            found == current.DontSwitchTo2)
            found = -1;
    }
    if (inStyle && found < 0 && FLexicon.Style(FCS).Switchable) {
        const TSyntaxLexicon::TStyle& current = FLexicon.Style(FCS);
        bool atEnd = FText.StartsWith(FP, current.EndText);
        bool ignored =
            atEnd && !current.IgnoreChar.empty() && FText.At(FP - 1) == current.IgnoreChar[0];
        if (!atEnd || ignored) {
            FInStyle = true;
            ++FL;
            ++FP;
            return;
        }
        // The end of the switchable style is here; a line end takes its LF along.
        int n = current.EndText == U"\r" ? 2 : static_cast<int>(current.EndText.size());
        FL += n;
        FP += n;
        SwitchTo(TPending::tkPlain);
        return;
    }
    if (found >= 0) {
        SwitchTo(TPending::tkStyle);
        FCS = found;
        const TSyntaxLexicon::TStyle& style = FLexicon.Style(FCS);
        if (style.Switchable) {
            // The rest of the style is read step by step.
            FInStyle = true;
            ++FL;
            ++FP;
            return;
        }
        FEndSearch = FP + static_cast<int>(style.BeginText.size());
        FDepth = 1;
        FinishStyle();
        return;
    }
    if (cls & TSyntaxLexicon::ccNumberLead) {
        if (int last = EndOfNumber(); last != 0) {
            SwitchTo(TPending::tkNumber);
            FP = last + 1;
            FL = FP - FS;
            SwitchTo(TPending::tkPlain);
            return;
        }
    }
    SwitchTo(cls & TSyntaxLexicon::ccParenthesis ? TPending::tkParenthesis
             : cls & TSyntaxLexicon::ccSymbol    ? TPending::tkSymbol
                                                 : TPending::tkPlain);
    ++FL;
    ++FP;
}

void TSyntaxScanner::FinishStyle() {
    int end = EndOfStyle(FLexicon.Style(FCS));
    if (end == 0)
        return;
    FEndSearch = 0;
    FP = end + 1;
    FL = FP - FS;
    SwitchTo(TPending::tkPlain);
}

int TSyntaxScanner::EndOfStyle(const TSyntaxLexicon::TStyle& Style) {
    int length = FText.Length();
    const std::u32string& beginText = Style.BeginText;
    const std::u32string& endText = Style.EndText;
    if (endText.empty())
        return length;
    const int endSize = static_cast<int>(endText.size());
    const int beginSize = static_cast<int>(beginText.size());
    const bool nests = Style.Nested && !beginText.empty();
    int depth = FDepth;
    int pos = FEndSearch;
    for (int last = length - endSize + 1; pos <= last;) {
        if (pos > FLimit) {
            FEndSearch = pos;
            FDepth = depth;
            return 0;
        }
        char32_t c = FText.At(pos);
        if (c == endText[0] && FText.StartsWith(pos, endText)) {
            if (!Style.IgnoreChar.empty() && FText.At(pos - 1) == Style.IgnoreChar[0]) {
                pos += endSize;
                continue;
            }
            if (Style.DoubledEnd && FText.StartsWith(pos + endSize, endText)) {
                pos += 2 * endSize;
                continue;
            }
            if (--depth == 0)
                break;
            pos += endSize;
        } else if (nests && c == beginText[0] && FText.StartsWith(pos, beginText)) {
            ++depth;
            pos += beginSize;
        } else {
            ++pos;
        }
    }
    if (depth != 0)
        return length;
    int end = pos + endSize - 1;
    if (endText == U"\r")
        ++end; // the LF of the line end belongs to the style
    return std::min(end, length);
}

int TSyntaxScanner::SkipDigits(int Pos, bool Hexadecimal) {
    for (;; ++Pos) {
        char32_t c = FText.At(Pos);
        bool hex = (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
        if (!IsDigit(c) && !(Hexadecimal && hex))
            return Pos;
    }
}

int TSyntaxScanner::EndOfNumber() {
    // A number begins where no identifier goes on: "x1" holds none.
    if (IdentBefore(FP))
        return 0;
    char32_t c = FText.At(FP);
    char32_t next = FText.At(FP + 1);
    if (c == U'0' && (next == U'x' || next == U'X'))
        return SkipDigits(FP + 2, true) - 1; // binary: 0x1F, and 0x alone
    int pos = c == U'$' ? FP + 1 : FP;       // money: $12.50
    int digits = SkipDigits(pos, false);
    bool any = digits > pos;
    pos = digits;
    if (FText.At(pos) == U'.') {
        digits = SkipDigits(pos + 1, false);
        any = any || digits > pos + 1;
        pos = digits;
    }
    if (!any)
        return 0;
    if (c != U'$' && (FText.At(pos) == U'e' || FText.At(pos) == U'E')) {
        int exponent = pos + 1;
        if (FText.At(exponent) == U'+' || FText.At(exponent) == U'-')
            ++exponent;
        if (IsDigit(FText.At(exponent)))
            pos = SkipDigits(exponent, false); // float: 1.5e3, 2E-7
    }
    return pos - 1;
}

void TSyntaxScanner::SwitchTo(TPending X) {
    if (X == FK && X != TPending::tkParenthesis && X != TPending::tkStyle)
        return;
    Emit();
    FS = FP;
    FL = 0;
    FK = X;
}

void TSyntaxScanner::Emit() {
    if (FL <= 0)
        return;
    switch (FK) {
    case TPending::tkSymbol:
        EmitRange(TSyntaxKind::skSymbol, 0, FS, FS + FL - 1);
        break;
    case TPending::tkParenthesis:
        EmitRange(TSyntaxKind::skParenthesis, FText.At(FS) == U')' ? psClosing : psOpening, FS, FS);
        break;
    case TPending::tkStyle:
        EmitRange(TSyntaxKind::skCustomStyle, FCS, FS, FS + FL - 1);
        break;
    case TPending::tkNumber:
        EmitRange(TSyntaxKind::skNumber, 0, FS, FS + FL - 1);
        break;
    case TPending::tkPlain:
        EmitPlain();
        break;
    }
}

void TSyntaxScanner::EmitRange(TSyntaxKind Kind, int Attribute, int From, int To) {
    FMatched = FMerge.InsertSyntaxRange(Kind, Attribute, From, To);
}

int TSyntaxScanner::ListOfWord(int From, int To) {
    TSyntaxLexicon::TWordMatch match = FLexicon.MatchWord(FWord);
    if (match.AloneList >= 0 && AloneOnLine(From, To))
        return match.AloneList;
    return match.List;
}

bool TSyntaxScanner::AloneOnLine(int From, int To) {
    auto blank = [](char32_t C) { return C == U' ' || C == U'\t'; };
    int pos = From - 1;
    while (pos >= 1 && blank(FText.At(pos)))
        --pos;
    if (pos >= 1 && FText.At(pos) != U'\n')
        return false;
    pos = To + 1;
    while (blank(FText.At(pos)))
        ++pos;
    // A count runs the batch that many times: 1 to 2147483647.
    long long count = -1;
    for (; IsDigit(FText.At(pos)) && count <= 0x7FFFFFFF; ++pos)
        count = std::max(count, 0LL) * 10 + (FText.At(pos) - U'0');
    if (count == 0 || count > 0x7FFFFFFF)
        return false;
    while (blank(FText.At(pos)))
        ++pos;
    if (pos > FText.Length())
        return true;
    char32_t c = FText.At(pos);
    return c == U'\r' || (c == U'-' && FText.At(pos + 1) == U'-');
}

// A plain token is cut into identifiers: numbers and listed words get ranges of their own, the
// rest stays plain text.
void TSyntaxScanner::EmitPlain() {
    int end = FS + FL;
    int pending = FS;
    int word = -1; // where the identifier under way began
    for (int i = FS; i <= end; ++i) {
        char32_t c = i < end ? FText.At(i) : U'\0';
        if (i < end && (FLexicon.ClassOf(c) & TSyntaxLexicon::ccIdent)) {
            if (word < 0) {
                word = i;
                FWord.clear();
            }
            FWord += static_cast<char>(c);
            continue;
        }
        if (word < 0)
            continue;
        std::uint8_t first = FLexicon.ClassOf(static_cast<unsigned char>(FWord[0]));
        TSyntaxKind kind = TSyntaxKind::skNumber;
        int list = 0;
        if (!(first & TSyntaxLexicon::ccNumberStart)) {
            list = ListOfWord(word, i - 1);
            kind = TSyntaxKind::skWordList;
        }
        if (list < 0 && (first & TSyntaxLexicon::ccNameStart)) {
            // A variable or a temporary table: a range of its own in the plain colour.
            kind = TSyntaxKind::skNormalText;
            list = 0;
        }
        if (list >= 0) {
            if (pending < word)
                EmitRange(TSyntaxKind::skNormalText, 0, pending, word - 1);
            EmitRange(kind, kind == TSyntaxKind::skWordList ? list : 0, word, i - 1);
            pending = i;
        }
        word = -1;
    }
    if (pending < end)
        EmitRange(TSyntaxKind::skNormalText, 0, pending, end - 1);
}

} // namespace sourceedit
