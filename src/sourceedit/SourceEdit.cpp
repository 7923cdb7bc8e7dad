// The source editor's life and its syntax chain: creation and teardown, the repair after every
// edit, full rescans, and the chain's lookups and diagnostics.
#include "SourceEdit.h"

#include "SyntaxScanner.h"

#include <algorithm>
#include <limits>

namespace sourceedit {

TSourceEdit::TSourceEdit(memo::TMemoHost* Host)
    : TMemoComponent(Host), FSyntaxColoring(std::make_unique<TSyntaxColoring>(this)) {
    // The lexical fonts exist from the start, built from the editor's font.
    FSyntaxColoring->Changed();
}

TSourceEdit::~TSourceEdit() {
    FSyntaxColoring->SetUpdateCount(100);
    FSyntaxColoring.reset();
}

// --- Repair after an edit --------------------------------------------------------------------

namespace {

// Where Pos goes when S … S + OldLength − 1 is replaced by NewLength characters: a position in the
// replaced text goes to the end of the new one.
int MovedByEdit(int Pos, int S, int OldLength, int NewLength) {
    if (Pos >= S + OldLength)
        return Pos + NewLength - OldLength;
    return Pos >= S ? S + NewLength - 1 : Pos;
}

} // namespace

void TSourceEdit::TextReplaced(int Start, int OldLength, int NewLength) {
    FModified.clear();
    FLevelShift = FChain.AdjustForEdit(Start, Start + OldLength - 1, NewLength, FModified);
    // A repair under way starts again from its token, or from the edit when that comes first;
    // it goes at least as far as it had to.
    int from = Start;
    int through = Start + NewLength - 1;
    if (FRepair) {
        from = std::min(from, FRepair->Pause.TokenStart);
        through = std::max(through, MovedByEdit(FRepair->MustReach, Start, OldLength, NewLength));
        FRepair.reset();
    }
    FChangedRegion = std::make_unique<memo::TMCRange>(this, from, through);
    // A new text is coloured all at once, as it is loaded.
    bool wholeText = Start == 1 && NewLength == TextLength();
    ScanRegion(*FChangedRegion, wholeText ? std::numeric_limits<int>::max() : EditScanLimit(from));
}

void TSourceEdit::ReplaceFinished() {
    if (!FChangedRegion)
        return;
    // Parentheses after the scanned stretch moved to another level when the balance before them
    // changed: they change colour.
    if (FLevelShift != 0)
        RepaintParenthesesAfter(FChangedRegion->REnd());
    FChangedRegion->Paint();
    FChangedRegion.reset();
}

void TSourceEdit::RepaintParenthesesAfter(int Pos) {
    int lastVisible = VisibleRange()->REnd();
    SettleTo(lastVisible);
    for (TRangeCursor c = FChain.At(std::max(Pos + 1, VisibleRange()->RStart()));
         c.Valid() && c.Token().RStart <= lastVisible; c.Next()) {
        if (c.Token().Kind == TSyntaxKind::skParenthesis) {
            memo::TMCRange parenthesis(this, c.Token().RStart, c.Token().REnd);
            parenthesis.Paint();
        }
    }
}

void TSourceEdit::FontChanged() {
    TMemoComponent::FontChanged();
    FSyntaxColoring->Changed();
}

// --- Scanning --------------------------------------------------------------------------------

void TSourceEdit::RescanAll() {
    if (TextLength() == 0)
        return;
    Selection()->HideEditCaret();
    ClearSyntaxRanges();
    ScanRange(*WholeText());
    VisibleRange()->Paint();
    Selection()->PlaceCaret();
    Selection()->ShowEditCaret();
}

void TSourceEdit::ScanRange(memo::TCustomRange& Region) {
    ScanRegion(Region, std::numeric_limits<int>::max());
}

void TSourceEdit::ScanRegion(memo::TCustomRange& Region, int Limit) {
    TSyntaxColoring& settings = *FSyntaxColoring;
    if (settings.UpdateCount() != 0)
        return;
    if (!settings.Enabled() || TextLength() == 0) {
        ClearSyntaxRanges();
        return;
    }
    settings.SetUpdateCount(settings.UpdateCount() + 1);
    FLexicon.Follow(settings);
    int from = ScanStart(Region.RStart());
    // Ranges whose characters the edit changed never end the scan: a pause leaves them stale.
    int mustReach = Region.REnd();
    for (int start : FModified)
        if (TRangeCursor modified = FChain.At(start); modified.Valid())
            mustReach = std::max(mustReach, modified.Token().REnd);
    TChainMerge merge(FChain, from, FModified);
    TSyntaxScanner scanner(Text(), FLexicon, merge);
    int scanned = scanner.Run(from, Region.REnd(), Limit);
    FLevelShift += merge.Finish();
    FModified.clear();
    KeepPause(scanner, mustReach);

    Region.BeginUpdate();
    Region.SetRStart(from);
    Region.SetREnd(scanned);
    Region.EndUpdate();
    settings.SetUpdateCount(settings.UpdateCount() - 1);
}

int TSourceEdit::EditScanLimit(int From) const {
    long long limit = static_cast<long long>(std::max(VisibleRange()->REnd(), From)) + FRepairSlice;
    return static_cast<int>(std::min<long long>(limit, std::numeric_limits<int>::max()));
}

void TSourceEdit::KeepPause(const TSyntaxScanner& Scanner, int MustReach) {
    if (!Scanner.Paused())
        return;
    const TSyntaxScanner::TPause& pause = Scanner.Pause();
    // What the paused token covers is stale until the scan has read it again.
    FRepair = TRepair{pause, std::max(MustReach, pause.Pos - 1)};
    if (Host() != nullptr)
        Host()->StartTimer(RepairTimerId, 0);
}

// --- The repair in slices --------------------------------------------------------------------

int TSourceEdit::ResumeRepair(int Limit) {
    TSyntaxColoring& settings = *FSyntaxColoring;
    if (!FRepair || settings.UpdateCount() != 0)
        return 0;
    settings.SetUpdateCount(settings.UpdateCount() + 1);
    FLexicon.Follow(settings);
    TRepair repair = *FRepair;
    FRepair.reset();
    TChainMerge merge(FChain, repair.Pause.TokenStart, {});
    TSyntaxScanner scanner(Text(), FLexicon, merge);
    int scanned = scanner.Resume(repair.Pause, repair.MustReach, Limit);
    int levelShift = merge.Finish();
    KeepPause(scanner, repair.MustReach);
    settings.SetUpdateCount(settings.UpdateCount() - 1);
    if (levelShift != 0)
        RepaintParenthesesAfter(scanned);
    return scanned;
}

void TSourceEdit::RepairSlice() {
    if (!FRepair)
        return;
    int from = FRepair->Pause.TokenStart;
    int scanned = ResumeRepair(FRepair->Pause.Reached() + FRepairSlice);
    if (scanned == 0)
        return;
    // Only what is on screen is drawn; the repair behind the visible lines is usually all there is.
    memo::TMCRange repaired(this, from, scanned);
    repaired.Paint();
}

void TSourceEdit::CompleteRepair() {
    while (FRepair && ResumeRepair(std::numeric_limits<int>::max()) != 0) {
    }
}

void TSourceEdit::SettleTo(int Pos) {
    while (FRepair && FRepair->Pause.Settled < Pos) {
        long long limit =
            static_cast<long long>(std::max(Pos, FRepair->Pause.Reached())) + FRepairSlice;
        if (ResumeRepair(
                static_cast<int>(std::min<long long>(limit, std::numeric_limits<int>::max()))) == 0)
            return;
    }
}

void TSourceEdit::Timer(int Id) {
    if (Id != RepairTimerId) {
        TMemoComponent::Timer(Id);
        return;
    }
    RepairSlice();
    if (!FRepair && Host() != nullptr)
        Host()->StopTimer(RepairTimerId);
}

int TSourceEdit::ScanStart(int Pos) const {
    // The scanner reads ahead of the character it decides about: an edit at Pos changes decisions
    // as far back as it reads. The scan starts at the range that holds the first of them (with
    // begin texts of up to two characters, the character before the edit). A Transact-SQL number
    // reads three characters past its end ("1" goes on into "1e+5"), and a batch separator's
    // word reads its line's blanks, count and the "--" that begins a comment.
    int back = Pos - std::max(1, FLexicon.LookAhead() - 1);
    if (FLexicon.TransactSql())
        back = std::min(back, Pos - 3);
    if (FLexicon.HasAloneWords())
        back = std::min(back, SeparatorTailBefore(Pos));
    TRangeCursor start = ChainRangeAt(back);
    if (!start.Valid())
        return 1;
    int from = std::min(Pos, start.Token().RStart);
    // Characters that no range covers are scanned from their first one.
    if (TRangeCursor entry = FChain.At(from); entry.Valid())
        from = entry.Token().RStart;
    // At a range boundary the scanner decides whether the token before goes on: plain text, a run
    // of symbols and a switchable style do unless something else begins there. When that
    // decision reads edited characters (a comment that begins no longer), the scan starts with
    // the range before. So it does before a word or number in plain text: the word may be typed
    // apart into plain text that joins the plain text before it.
    for (;;) {
        TRangeCursor previous = from > 1 ? ChainRangeAt(from - 1) : TRangeCursor();
        if (!previous.Valid())
            return from;
        const TSyntaxToken& token = previous.Token();
        bool reaches = from + FLexicon.LookAhead() - 1 >= Pos;
        TSyntaxKind next = FChain.At(from).Token().Kind;
        bool wordNext = next == TSyntaxKind::skWordList || next == TSyntaxKind::skNumber;
        bool goesOn = false;
        switch (token.Kind) {
        case TSyntaxKind::skNormalText:
            goesOn = reaches || wordNext;
            break;
        case TSyntaxKind::skSymbol:
            goesOn = reaches;
            break;
        case TSyntaxKind::skCustomStyle:
            goesOn = reaches && token.Attribute < FLexicon.StyleCount() &&
                     FLexicon.Style(token.Attribute).Switchable;
            break;
        case TSyntaxKind::skWordList:
        case TSyntaxKind::skNumber:
            // Only a style that begins with a letter or digit ends a word early.
            goesOn = reaches && FLexicon.StyleBeginsInIdentifiers();
            break;
        default:
            break;
        }
        if (!goesOn)
            return from;
        from = token.RStart;
    }
}

int TSourceEdit::SeparatorTailBefore(int Pos) const {
    TTextReader text(Text());
    int pos = Pos - 1;
    for (char32_t c = text.At(pos);
         pos >= 1 && (c == U' ' || c == U'\t' || c == U'-' || (c >= U'0' && c <= U'9'));
         c = text.At(--pos)) {
    }
    return pos;
}

void TSourceEdit::ClearSyntaxRanges() {
    FChain.Clear();
    FRepair.reset();
}

// --- Lookups and diagnostics -----------------------------------------------------------------

namespace {

void SkipGaps(TSyntaxChain::TCursor& Cursor) {
    while (Cursor.Valid() && !Cursor.Token().IsRange())
        Cursor.Next();
}

} // namespace

TSourceEdit::TRangeCursor TSourceEdit::ChainRangeAt(int Pos) const {
    TRangeCursor cursor = Pos < 1 ? FChain.First() : FChain.At(Pos);
    SkipGaps(cursor);
    return cursor;
}

TSourceEdit::TRangeCursor TSourceEdit::SyntaxRangeAt(int Pos) {
    CompleteRepair();
    return ChainRangeAt(Pos);
}

TSourceEdit::TRangeCursor TSourceEdit::SyntaxRangeAtFrom(int Pos, const TRangeCursor& Hint) {
    CompleteRepair();
    TRangeCursor cursor = Pos < 1 ? FChain.First() : FChain.At(Pos, Hint);
    SkipGaps(cursor);
    return cursor;
}

TSourceEdit::TRangeCursor TSourceEdit::LastRange() {
    TRangeCursor last;
    for (TRangeCursor c = FirstRange(); c.Valid(); c.Next())
        if (c.Token().IsRange())
            last = c;
    return last;
}

TSourceEdit::TRangeCursor TSourceEdit::FindChainGap() {
    TRangeCursor first = FirstRange();
    if (!first.Valid())
        return first;
    if (first.Token().RStart != 1)
        return first;
    TRangeCursor last = LastRange();
    if (last.Token().REnd != TextLength())
        return last;
    TRangeCursor previous;
    for (TRangeCursor c = first; c.Valid(); c.Next()) {
        if (!c.Token().IsRange())
            continue;
        if (previous.Valid() && previous.Token().REnd + 1 != c.Token().RStart)
            return previous;
        previous = c;
    }
    return TRangeCursor();
}

TSourceEdit::TRangeCursor TSourceEdit::FindChainOverlap() {
    TRangeCursor previous;
    for (TRangeCursor c = FirstRange(); c.Valid(); c.Next()) {
        if (!c.Token().IsRange())
            continue;
        if (previous.Valid() && previous.Token().REnd >= c.Token().RStart)
            return previous;
        previous = c;
    }
    return TRangeCursor();
}

void TSourceEdit::GetDebuggableRanges(TDebuggableRanges& Ranges) {
    for (TRangeCursor c = FirstRange(); c.Valid(); c.Next()) {
        const TSyntaxToken& token = c.Token();
        if (token.IsRange())
            Ranges.push_back(TDebuggableRange{token.RStart, token.REnd,
                                              Chars(token.RStart, token.REnd),
                                              SyntaxRangeClassName(token.Kind)});
    }
}

} // namespace sourceedit
