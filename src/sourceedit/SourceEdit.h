#pragma once
// TSourceEdit: the script editor. The plain editor with colouring settings of its own, a syntax
// chain of lexical ranges kept up to date on every edit, painting with the chain, and indenting
// when Enter is pressed (optionally expanding an opening brace into a block).
#include "MemoComponent.h"
#include "SyntaxChain.h"
#include "SyntaxColoring.h"
#include "SyntaxLexicon.h"
#include "SyntaxRanges.h"
#include "SyntaxScanner.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace sourceedit {

// A stretch of text with the font and background it is drawn with.
struct TStyledSpan {
    int RStart = 1;
    int REnd = 0;
    memo::TFont Font;
    memo::TColor Color = memo::clWindow;
};

class TSourceEdit : public memo::TMemoComponent {
public:
    using TRangeCursor = TSyntaxChain::TCursor;

    explicit TSourceEdit(memo::TMemoHost* Host = nullptr);
    // No rescan runs while the editor goes.
    ~TSourceEdit() override;

    TSyntaxColoring& SyntaxColoring() { return *FSyntaxColoring; }
    const TSyntaxColoring& SyntaxColoring() const { return *FSyntaxColoring; }
    // Copies Value into the editor's own settings.
    void SetSyntaxColoring(const TSyntaxColoring& Value) { FSyntaxColoring->Assign(&Value); }
    bool AutoIndent() const { return FAutoIndent; }
    void SetAutoIndent(bool Value) { FAutoIndent = Value; }
    bool AutoIndentIncrease() const { return FAutoIndentIncrease; }
    void SetAutoIndentIncrease(bool Value) { FAutoIndentIncrease = Value; }
    char32_t AutoIndentIncreaseStart() const { return FAutoIndentIncreaseStart; }
    void SetAutoIndentIncreaseStart(char32_t Value) { FAutoIndentIncreaseStart = Value; }
    char32_t AutoIndentIncreaseEnd() const { return FAutoIndentIncreaseEnd; }
    void SetAutoIndentIncreaseEnd(char32_t Value) { FAutoIndentIncreaseEnd = Value; }

    // --- The syntax chain ---
    // An edit is repaired at once through the visible lines and a slice beyond them; where its
    // effect runs on (a quote that opens a string to the end of the script), the rest of the
    // repair follows in slices from the host's timer. Whoever reads the chain finishes the repair
    // first; painting (and printing) only as far as it draws.
    static constexpr int RepairTimerId = 2;
    static constexpr int DefaultRepairSlice = 64 * 1024;

    // Rebuilds the whole chain and repaints the visible text.
    virtual void RescanAll();
    // Scans from the start of Region on, repairing the chain; widens Region to what it scanned.
    virtual void ScanRange(memo::TCustomRange& Region);
    virtual void ClearSyntaxRanges();
    // Whether part of the chain still waits for its repair.
    bool RepairPending() const { return FRepair.has_value(); }
    // Goes on with the repair for one slice, and repaints what it changed on screen.
    void RepairSlice();
    // Finishes the repair.
    void CompleteRepair();
    // About how many characters a slice rescans.
    int RepairSliceLength() const { return FRepairSlice; }
    void SetRepairSliceLength(int Value) { FRepairSlice = std::max(Value, 1); }
    // nil (an invalid cursor) when the chain is empty or tiles 1 … TextLength exactly; otherwise
    // the first range when it does not start at 1, else the last range when it does not end at
    // TextLength, else the first range whose successor does not start right after it.
    virtual TRangeCursor FindChainGap();
    // The first range whose successor starts at or before its end; nil when none does.
    virtual TRangeCursor FindChainOverlap();
    virtual void GetDebuggableRanges(TDebuggableRanges& Ranges);
    // The first range whose end is at or after Pos; nil when there is none.
    virtual TRangeCursor SyntaxRangeAt(int Pos);
    // The same, found from Hint (a cursor of an earlier lookup) when that is still current and
    // near.
    virtual TRangeCursor SyntaxRangeAtFrom(int Pos, const TRangeCursor& Hint);
    TRangeCursor FirstRange() { return SyntaxRangeAt(1); }
    TRangeCursor LastRange();
    const TSyntaxChain& Chain() {
        CompleteRepair();
        return FChain;
    }

    // The spans Start … End is drawn in, without the selection's colours, for printing: each
    // lexical range cut to Start … End, with its font and background.
    void GetStyledSpans(int Start, int End, std::vector<TStyledSpan>& Spans);

    // --- Overrides of the plain editor ---
    void GetFormattedRanges(memo::TCustomRange* Range, memo::TFormattedRangeArray& Pieces) override;
    void KeyPress(char32_t Key) override;
    // RepairTimerId runs a slice of the repair.
    void Timer(int Id) override;

    // The bytes the syntax chain holds, beside the plain editor's MemoryBytes.
    size_t SyntaxMemoryBytes() const { return FChain.MemoryBytes(); }

protected:
    void TextReplaced(int Start, int OldLength, int NewLength) override;
    void ReplaceFinished() override;
    void FontChanged() override;

private:
    // The repair still to do: the paused scan, and how far it must go before a range that
    // coincides with the old chain ends it (the old chain is stale up to there).
    struct TRepair {
        TSyntaxScanner::TPause Pause;
        int MustReach = 0;
    };

    // Scans Region as ScanRange does, pausing past Limit.
    void ScanRegion(memo::TCustomRange& Region, int Limit);
    // Where the scan for an edit may pause: a slice past the visible lines, or past From.
    int EditScanLimit(int From) const;
    // Goes on with the repair, pausing past Limit; the last position scanned, or 0 when the
    // scanner is held.
    int ResumeRepair(int Limit);
    // Repairs the chain at least through Pos, as painting needs it.
    void SettleTo(int Pos);
    // Keeps the repair that Scanner paused in, if it did; the chain is stale through MustReach.
    void KeepPause(const TSyntaxScanner& Scanner, int MustReach);
    // The first range whose end is at or after Pos, as the chain stands.
    TRangeCursor ChainRangeAt(int Pos) const;
    // The pieces of Segment (a piece of one line) from the chain; with the selection's colours
    // where it is shown and WithSelection is set.
    void ProduceFromChain(const memo::TCustomRange& Segment, memo::TFormattedRangeArray& Pieces,
                          bool WithSelection);
    // The plain editor's pieces for Start … End (characters that no range covers).
    void ProducePlain(int Start, int End, memo::TFormattedRangeArray& Pieces, bool WithSelection);
    // Where a scan for an edit at Pos starts: a range boundary where the scanner is in the state
    // a full scan of the new text has there.
    int ScanStart(int Pos) const;
    // The last character before Pos that is not a blank, digit or "-": where a batch separator's
    // word ends when Pos is on the rest of its line.
    int SeparatorTailBefore(int Pos) const;
    // The line start and the blanks before the selection's start on its line.
    void LineBeforeSelection(int& LineStart, std::u32string& Before) const;
    void RepaintParenthesesAfter(int Pos);

    bool FAutoIndent = true;
    std::unique_ptr<TSyntaxColoring> FSyntaxColoring;
    bool FAutoIndentIncrease = false;
    char32_t FAutoIndentIncreaseStart = U'{';
    char32_t FAutoIndentIncreaseEnd = U'}';
    TSyntaxChain FChain;
    TSyntaxLexicon FLexicon;
    TRangeCursor FPaintCursor;                      // where the last painted line piece ended
    std::unique_ptr<memo::TMCRange> FChangedRegion; // between the two edit notifications
    std::vector<int> FModified;                     // ranges whose characters the edit changed
    int FLevelShift = 0; // how the edit moved the parenthesis levels after the scanned stretch
    std::optional<TRepair> FRepair;
    int FRepairSlice = DefaultRepairSlice;
};

// The 1-based index of the first character of S that is neither TAB nor space; Length(S) + 1 when
// there is none.
int FirstNonBlank(std::u32string_view S);

} // namespace sourceedit
