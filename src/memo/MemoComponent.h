#pragma once
// TMemoComponent: a fixed-pitch plain-text editor core. It owns the text and its line index, the
// live ranges, the undo history, and paints, scrolls and places its caret through a host.
#include "CharCells.h"
#include "FormattedRanges.h"
#include "IntegerList.h"
#include "Keys.h"
#include "LineCol.h"
#include "LineWidths.h"
#include "MemoHost.h"
#include "RangeCollection.h"
#include "Ranges.h"
#include "TextBuffer.h"
#include "Undo.h"

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace memo {

class TMemoComponentStrings;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle { bsNone, bsSingle };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// Scroll bar requests, as the bars (and the read-only keys) send them.
enum class TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

// Every text that enters the editor: lone CR, lone LF and CR LF all become CR LF.
std::u32string NormalizeLineBreaks(std::u32string_view Text);

// A marked span of text (a match of a search), 1-based and inclusive like a range.
struct TMarkSpan {
    int RStart = 1;
    int REnd = 0;
};
// Appends the marked spans that overlap Start … End, in text order.
using TMarkFinder = std::function<void(int Start, int End, std::vector<TMarkSpan>& Marks)>;

class TMemoComponent : public TObject {
public:
    // The longest text: positions and their sums with small offsets stay 32-bit.
    static constexpr int MaxTextLength = std::numeric_limits<int>::max() - 16;
    static constexpr int SelectionTimerId = 1;
    static constexpr int SelectionTimerInterval = 20;
    // What the hosting window starts with.
    static constexpr TSize DefaultSize{129, 129};
    static constexpr TSize MinimumSize{64, 64};

    explicit TMemoComponent(TMemoHost* Host = nullptr,
                            int RangeChunkShift = TMCRanges::DefaultChunkShift);
    ~TMemoComponent() override;

    TMemoHost* Host() const { return FHost; }
    void SetHost(TMemoHost* Host) { FHost = Host; }

    // --- Text and line index ---
    const TTextBuffer& Text() const { return FText; }
    int TextLength() const { return FTextLength; }
    // The character at a 1-based position; 0 outside the text.
    char32_t CharAt(int Pos) const;
    // Characters Start … End (clamped to the text).
    std::u32string Chars(int Start, int End) const;
    std::u32string GetText() const { return FText.ToString(); }
    void SetText(std::u32string_view S);
    // The whole text becomes Text, taken over without a copy (a script read from a file): the
    // edit SetText makes, except that it cannot be undone and clears the undo history, so that
    // no step leads back to the text before. A text whose line breaks are not all CR LF has
    // them made so, at the cost of a copy.
    void AdoptText(TTextBuffer&& Text);
    const TIntegerList& LineStarts() const { return FLineStarts; }
    int LineCount() const { return FLineStarts.Count(); }
    int LineLength(int Line) const;
    int LineDisplayWidth(int Line) const;
    int MaxLineWidth() const { return FMaxLineWidth; }
    TMemoComponentStrings& Lines() { return *FLines; }

    // --- Ranges ---
    TMCRanges* Ranges() const { return FRanges.get(); }
    TWholeTextRange* WholeText() const { return FWholeText.get(); }
    TVisibleRange* VisibleRange() const { return FVisibleRange; }
    TSelectionRange* Selection() const { return FSelection; }
    int SelStart() const { return FSelection->RStart() - 1; }
    int SelLength() const { return FSelection->RLength(); }

    // --- Virtual operations ---
    virtual void ReplaceRangeText(TCustomRange* Range, std::u32string_view NewText);
    virtual void PaintRangeText(TCustomRange* Range, int X, int FirstTabWidth, int Y);
    virtual void GetFormattedRanges(TCustomRange* Range, TFormattedRangeArray& Pieces);
    virtual void PaintMargins(const TRect& LeftRect, const TRect& TopRect, TPaintTarget Canvas);
    virtual void UpdateFontMetrics();
    virtual void UpdateView();
    virtual void UpdateBitmap();
    virtual void CreateEditCaret();
    virtual void DestroyEditCaret();
    virtual void PopUndo(TUndoOperation& Op);
    virtual void PopRedo(TUndoOperation& Op);
    virtual TUndoOperation* NewUndoSeparator();
    virtual bool IsUndoSeparator(const TUndoOperation& Op) const;
    virtual void PushUndo(TUndoOperation* Op);
    virtual void PushRedo(TUndoOperation* Op);
    virtual void Clear();
    virtual void PosToLineCol(int Pos, TLineCol& LC) const;
    virtual int LineColToPos(const TLineCol& LC) const;
    virtual void PixelToCell(const TPoint& P, TLineCol& Cell) const;
    virtual void CellToPixel(const TLineCol& Cell, TPoint& P) const;
    virtual int TabWidthAt(int Pos) const;
    virtual int CharColToDisplayCol(const TLineCol& LC) const;
    virtual void DisplayToCharCol(TLineCol& LC) const;
    virtual int DisplayToCharColStart(TLineCol& LC) const;
    virtual void ScrollCaretIntoView();
    virtual void IndentSelection(int Amount);

    // Convenience forms of the conversions.
    TLineCol PosToLineCol(int Pos) const {
        TLineCol lc;
        PosToLineCol(Pos, lc);
        return lc;
    }
    int LineColToPos(int Line, int Col) const { return LineColToPos(LineCol(Line, Col)); }

    // --- Notifications (public so that ranges and hosts can raise them) ---
    virtual void Change();
    virtual void SelectionChange();

    // --- Messages ---
    // WM_SETTEXT: the text up to its terminating NUL; the result is 1.
    int SetTextMessage(const char32_t* S);
    // WM_GETTEXT: at most BufferSize − 1 characters and a NUL; the result is the count copied.
    int GetTextMessage(char32_t* Buffer, size_t BufferSize) const;
    int GetTextLengthMessage() const { return FTextLength; }
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void ClearSelection(); // WM_CLEAR
    // EM_CANUNDO / EM_UNDO: WParam 1 means the redo history.
    bool CanUndoMessage(int WParam) const;
    void UndoMessage(int WParam);
    void Undo() { UndoMessage(0); }
    void Redo() { UndoMessage(1); }
    bool CanUndo() const { return CanUndoMessage(0); }
    bool CanRedo() const { return CanUndoMessage(1); }
    void ClearRedo();
    // Forgets both histories: what was there before cannot come back by undo.
    void ClearUndoHistory();

    // --- Keys ---
    // The key-down stage: navigation, deletion, clipboard and undo keys with their modifiers.
    virtual void KeyDown(TKey Key, TShiftState Shift);
    // The character stage: one typed character.
    virtual void KeyPress(char32_t Key);
    // Whether the key-down stage gives the key a meaning in the current mode.
    bool HandlesKey(TKey Key, TShiftState Shift) const;
    // Whether the character stage types Key in the current mode.
    bool TakesCharacter(char32_t Key) const;

    // --- Window events, as the host reports them ---
    void Paint();
    void Resize() { UpdateView(); }
    void FocusIn();
    void FocusOut();
    // Clicks counts the presses of a double (2) or triple (3) click. Shift extends the
    // selection to the click; a double click selects a word, a triple click the line.
    void MouseDown(TMouseButton Button, int X, int Y, TShiftState Shift = 0, int Clicks = 1);
    void MouseMove(int X, int Y);
    void MouseUp(TMouseButton Button, int X, int Y);
    virtual void Timer(int Id);
    void VScroll(TScrollCode Code, int Pos);
    void HScroll(TScrollCode Code, int Pos);
    // The whole text selected, the caret at its end.
    void SelectAll();
    // The run of word characters, or of other characters on one line, around Pos.
    void SelectWordAt(int Pos);
    // Pos's line with its line break.
    void SelectLineAt(int Pos);
    bool Focused() const { return FFocused; }
    bool CaretCreated() const { return FCaretCreated; }
    bool MouseSelecting() const { return FMouseSelecting; }
    bool Undoing() const { return FUndoing; }
    bool ChangesSuspended() const { return FChangesSuspended; }

    // --- Metrics ---
    int LineHeight() const { return FLineHeight; }
    int CharWidth() const { return FCharWidth; }
    int VisibleLines() const { return FVisibleLines; }
    int VisibleCols() const { return FVisibleCols; }
    bool WindowExists() const { return FHost != nullptr && FHost->WindowExists(); }
    TSize ClientSize() const { return FHost ? FHost->ClientSize() : TSize{}; }

    // --- Properties ---
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool Bitmapped() const { return FBitmapped; }
    void SetBitmapped(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool AlwaysShowCaret() const { return FAlwaysShowCaret; }
    void SetAlwaysShowCaret(bool Value);
    int LeftMargin() const { return FBaseLeftMargin; }
    void SetLeftMargin(int Value);
    // Where the text starts: the left margin, after the line-number gutter when that is shown.
    int TextLeft() const { return FLeftMargin; }
    // The line numbers on the left of the text (off unless set).
    bool ShowLineNumbers() const { return FShowLineNumbers; }
    void SetShowLineNumbers(bool Value);
    int GutterWidth() const { return FGutterWidth; }
    // Draws the numbers of the shown lines FirstLine … LastLine again (clipped to the view).
    void PaintGutter(int FirstLine, int LastLine);
    // Marks are shown in the lines being painted, in the information colours; the selection
    // keeps its own. An empty finder shows none. Repaints the view.
    void SetMarkFinder(TMarkFinder Finder);
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int Value) { FTopMargin = Value; }
    int TabSize() const { return FTabSize; }
    void SetTabSize(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFont* Font() { return &FFont; }
    const TFont& GetFontValue() const { return FFont; }
    void SetFont(const TFont& Value);
    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChange;

    // Bytes held by the text, line index, widths and range collection (for measurements).
    size_t MemoryBytes() const;

protected:
    // Overridable edit notifications: right after every edit, and after its repaint.
    virtual void TextReplaced(int Start, int OldLength, int NewLength);
    virtual void ReplaceFinished();
    // The font was set: new character metrics.
    virtual void FontChanged();

    TTextBuffer FText;
    int FTextLength = 0;
    TIntegerList FLineStarts;
    int FMaxLineWidth = 0;
    int FLineHeight = 13;
    int FCharWidth = 8;
    int FVisibleLines = 1;
    int FVisibleCols = 1;
    bool FFocused = false;
    bool FCaretCreated = false;
    bool FMouseSelecting = false;
    bool FUndoing = false;
    bool FChangesSuspended = false;
    TUndoStack FUndoStack;
    TUndoStack FRedoStack;

private:
    friend class TCustomRange;

    void RecordUndo(int S, int F, int L);
    // Widens S … F so that an edit never splits a CR LF pair: line breaks stay whole.
    void KeepLineBreaksWhole(int& S, int& F) const;
    // The edit primitive once S … F (OldLength characters) and the new length L are settled:
    // Replace changes the text and line index and returns the line delta; then the ranges, the
    // view, the descendant's notifications and the repaint follow.
    template <class Fn>
    void ApplyEdit(TCustomRange* Range, int S, int OldLength, int L, Fn&& Replace);
    // Part of the edit primitive: text, line starts and widths; returns the line delta.
    int ReplaceTextAndLineIndex(int S, int F, std::u32string_view NewText);
    // The line starts and widths of Text, a buffer just taken over (its text in one run); false
    // when it holds a line break other than CR LF.
    bool IndexLines(const TTextBuffer& Text, TIntegerList& Starts, TLineWidths& Widths) const;
    // The same for Length characters at Chars, after the first line's start.
    template <class T>
    bool IndexWideLines(const T* Chars, std::ptrdiff_t Length, TIntegerList& Starts,
                        TLineWidths& Widths) const;
    bool IndexLatin1Lines(const std::uint8_t* Chars, std::ptrdiff_t Length, TIntegerList& Starts,
                          TLineWidths& Widths) const;
    // The text and line index become Text, Starts and Widths; returns the line delta.
    int AdoptTextAndLineIndex(TTextBuffer&& Text, TIntegerList&& Starts, TLineWidths&& Widths);
    int MeasureLine(int Line) const;
    // The display columns up to and including C, when Count columns lie before it: a tab
    // reaches the next tab stop, a wide character takes two cells, any other one.
    template <class T>
    T NextDisplayCount(T Count, char32_t C) const {
        return C == U'\t' ? T{FTabSize} * (Count / FTabSize + 1) : Count + CellsOf(C);
    }
    void RemeasureAllLines();
    int PositionAtPixel(int X, int Y) const;
    // Selects Start … CaretPos − 1 with the caret at CaretPos, in one update, and shows it.
    void SelectSpan(int Start, int CaretPos);
    void ScrollBy(TScrollBarKind Bar, TScrollCode Code, int Pos);
    // One undo step, or one redo step: replays records until a group closes.
    void UndoStep(bool FromRedo);
    void RepaintVisible();
    void SetHorizontalScrollInfo();
    // An edit added or removed lines: moves the pixels of the lines below it instead of drawing
    // them again. False when the view itself moves; then the whole view is laid out anew.
    bool MoveLinesBelowEdit(int EditLine, int LastLine, int LineDelta, int OldTopLine);
    void PaintWholeLines(int FirstLine, int LastLine);
    // Sets a property that the window is built from, and has the host rebuild it.
    template <class T>
    void SetWindowStyle(T& Field, T Value);
    void PaintLines(int Start, int End);
    void FillIfVisible(const TRect& Rect);
    void PaintMarginsOn(TPaintTarget Canvas);
    // Sizes the gutter for the line count; true when its width changed.
    bool FitGutter();
    // Cuts the unselected pieces of Pieces where the finder's marks begin and end, and gives the
    // marked ones the marks' colours.
    void MarkPieces(TFormattedRangeArray& Pieces, int Start, int End);

    TMemoHost* FHost;
    std::unique_ptr<TMCRanges> FRanges;
    std::unique_ptr<TWholeTextRange> FWholeText;
    TVisibleRange* FVisibleRange = nullptr; // owned by FRanges
    TSelectionRange* FSelection = nullptr;  // owned by FRanges
    std::unique_ptr<TMemoComponentStrings> FLines;
    TLineWidths FLineWidths;

    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool FBitmapped = false;
    bool FReadOnly = false;
    bool FAlwaysShowCaret = false;
    int FLeftMargin = 2;     // FBaseLeftMargin + FGutterWidth
    int FBaseLeftMargin = 2; // as set
    bool FShowLineNumbers = false;
    int FGutterWidth = 0;
    TMarkFinder FMarkFinder;
    int FTopMargin = 0;
    int FTabSize = 2;
    TColor FColor = clWindow;
    TFont FFont;
    TPaintTarget FCanvas = TPaintTarget::ptWindow; // where the painting under way draws
};

} // namespace memo
