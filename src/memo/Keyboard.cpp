// The keyboard commands: the key-down stage (navigation, deletion, clipboard, undo) and the
// character stage (typed text).
#include "CharClasses.h"
#include "MemoComponent.h"

#include <algorithm>

namespace memo {

namespace {

enum class TKeyCommand {
    kcNone,
    kcDeleteBefore,
    kcDeleteAfter,
    kcClear,
    kcUndo,
    kcRedo,
    kcCut,
    kcCopy,
    kcPaste,
    kcMove,
    kcScroll,
    kcSelectAll,
    kcCollapse
};

bool Held(TShiftState Shift, TShiftStateBit Bit) {
    return (Shift & Bit) != 0;
}

// What a key does; one table for both modes, so that the window can ask which keys the editor
// takes before its shortcuts do.
TKeyCommand CommandFor(TKey Key, TShiftState Shift, bool ReadOnly) {
    using enum TKeyCommand;
    switch (Key) {
    case TKey::kA:
        return Shift == ssCtrl ? kcSelectAll : kcNone;
    case TKey::kEscape:
        return Shift == 0 ? kcCollapse : kcNone;
    case TKey::kC:
        return Shift == ssCtrl ? kcCopy : kcNone;
    case TKey::kV:
        return Shift == ssCtrl && !ReadOnly ? kcPaste : kcNone;
    case TKey::kX:
        return Shift == ssCtrl && !ReadOnly ? kcCut : kcNone;
    case TKey::kZ:
        // Undo changes the text: a read-only editor keeps what it was given.
        if (ReadOnly || !Held(Shift, ssCtrl))
            return kcNone;
        return Held(Shift, ssShift) ? kcRedo : kcUndo;
    case TKey::kY:
        return Shift == ssCtrl && !ReadOnly ? kcRedo : kcNone;
    case TKey::kInsert:
        if (Shift == ssCtrl)
            return kcCopy;
        return Shift == ssShift && !ReadOnly ? kcPaste : kcNone;
    case TKey::kPageUp:
    case TKey::kPageDown:
    case TKey::kEnd:
    case TKey::kHome:
    case TKey::kLeft:
    case TKey::kUp:
    case TKey::kRight:
    case TKey::kDown:
        return ReadOnly ? kcScroll : kcMove;
    default:
        break;
    }
    if (ReadOnly)
        return kcNone;
    switch (Key) {
    case TKey::kBackspace:
        if (Shift == 0)
            return kcDeleteBefore;
        if (Shift == ssAlt)
            return kcUndo;
        return Shift == (ssShift | ssAlt) ? kcRedo : kcNone;
    case TKey::kDelete:
        if (Shift == 0)
            return kcDeleteAfter;
        return Shift == ssShift ? kcCut : kcNone;
    case TKey::kClear:
        return kcClear;
    default:
        return kcNone;
    }
}

// Ctrl+Left: back over one run of word characters, or of non-word characters (blanks,
// punctuation and line breaks together).
int WordStartLeft(const TMemoComponent& E, int Caret) {
    int p = Caret;
    bool word = IsWordChar(E.CharAt(p - 1)); // no character outside the text: a non-word
    while (p > 1 && IsWordChar(E.CharAt(p - 1)) == word)
        p -= IsLineBreak(E.CharAt(p - 1)) ? 2 : 1;
    return p;
}

// Ctrl+Right: forward over one such run.
int WordEndRight(const TMemoComponent& E, int Caret) {
    int p = Caret;
    bool word = IsWordChar(E.CharAt(p));
    while (p <= E.TextLength() && IsWordChar(E.CharAt(p)) == word)
        p += IsLineBreak(E.CharAt(p)) ? 2 : 1;
    return p;
}

// The position of Line at the sticky column; a line before the first gives the start of the
// text and one after the last its end.
int VerticalTarget(TMemoComponent& E, int Line) {
    return E.LineColToPos(Line, E.Selection()->CharColForLine(Line));
}

void MoveCaret(TMemoComponent& E, TKey Key, TShiftState Shift) {
    TSelectionRange& sel = *E.Selection();
    bool extend = Held(Shift, ssShift);
    bool ctrl = Held(Shift, ssCtrl);
    bool arrow =
        Key == TKey::kLeft || Key == TKey::kRight || Key == TKey::kUp || Key == TKey::kDown;
    if (arrow && !extend && sel.RLength() > 0 && !E.AlwaysShowCaret()) {
        // An arrow first drops the selection, at the end it points to.
        bool toStart = Key == TKey::kLeft || Key == TKey::kUp;
        sel.CollapseTo(toStart ? sel.RStart() : sel.REnd() + 1);
        return;
    }
    int caret = sel.CaretPos();
    int line = E.PosToLineCol(caret).Line;
    int page = E.VisibleLines() - 1;
    int sticky = -1; // the display column a vertical move keeps
    int target = caret;
    switch (Key) {
    case TKey::kLeft:
        target =
            ctrl ? WordStartLeft(E, caret) : caret - (IsLineBreak(E.CharAt(caret - 1)) ? 2 : 1);
        break;
    case TKey::kRight:
        target = ctrl ? WordEndRight(E, caret) : caret + (IsLineBreak(E.CharAt(caret)) ? 2 : 1);
        break;
    case TKey::kUp:
    case TKey::kDown:
    case TKey::kPageUp:
    case TKey::kPageDown: {
        sticky = sel.CaretDisplayCol();
        int lines = Key == TKey::kUp || Key == TKey::kDown ? 1 : page;
        bool up = Key == TKey::kUp || Key == TKey::kPageUp;
        target = VerticalTarget(E, up ? line - lines : line + lines);
        break;
    }
    case TKey::kHome:
        target = ctrl ? 1 : E.LineColToPos(line, 1);
        break;
    case TKey::kEnd: {
        int endLine = ctrl ? E.LineCount() : line;
        target = E.LineColToPos(endLine, E.LineLength(endLine) + 1);
        break;
    }
    default:
        return;
    }
    target = std::clamp(target, 1, E.TextLength() + 1);
    if (extend)
        sel.ExtendTo(target);
    else
        sel.CollapseTo(target);
    if (sticky >= 1)
        sel.SetDesiredCol(sticky); // the move itself cleared it
}

// Read-only: the keys scroll the view and leave the caret where it is.
void ScrollView(TMemoComponent& E, TKey Key, TShiftState Shift) {
    bool ctrl = Held(Shift, ssCtrl);
    switch (Key) {
    case TKey::kPageUp:
        E.VScroll(TScrollCode::scPageUp, 0);
        break;
    case TKey::kPageDown:
        E.VScroll(TScrollCode::scPageDown, 0);
        break;
    case TKey::kHome:
        if (ctrl)
            E.VScroll(TScrollCode::scTop, 0);
        E.HScroll(TScrollCode::scTop, 0);
        break;
    case TKey::kEnd:
        if (ctrl)
            E.VScroll(TScrollCode::scBottom, 0);
        else
            E.HScroll(TScrollCode::scBottom, 0);
        break;
    case TKey::kLeft:
        E.HScroll(TScrollCode::scLineUp, 0);
        break;
    case TKey::kRight:
        E.HScroll(TScrollCode::scLineDown, 0);
        break;
    case TKey::kUp:
        E.VScroll(TScrollCode::scLineUp, 0);
        break;
    case TKey::kDown:
        E.VScroll(TScrollCode::scLineDown, 0);
        break;
    default:
        break;
    }
}

// Backspace and Delete with nothing selected take the character beside the caret, and a line
// break whole. The widening is quiet: nothing repaints and no change is reported for it.
void DeleteBeside(TMemoComponent& E, bool Before) {
    TSelectionRange& sel = *E.Selection();
    if (sel.RLength() == 0) {
        int caret = sel.CaretPos();
        int start = Before ? caret - 1 : caret;
        if (E.CharAt(start) == U'\n')
            --start;
        int end = E.CharAt(start) == U'\r' ? start + 1 : start;
        sel.BeginUpdate();
        sel.SetRStart(start);
        sel.SetREnd(end);
        sel.CancelUpdate();
    }
    sel.Delete();
    sel.MakeVisible(4);
}

bool IsTypedCharacter(char32_t Key) {
    if (Key == U'\t' || Key == U'\r')
        return true;
    bool surrogate = Key >= 0xD800 && Key <= 0xDFFF;
    // DEL is what some keyboards send for the Delete key itself: it is no text.
    return Key >= 32 && Key != 127 && Key <= 0x10FFFF && !surrogate;
}

} // namespace

bool TMemoComponent::HandlesKey(TKey Key, TShiftState Shift) const {
    return CommandFor(Key, Shift, FReadOnly) != TKeyCommand::kcNone;
}

void TMemoComponent::KeyDown(TKey Key, TShiftState Shift) {
    switch (CommandFor(Key, Shift, FReadOnly)) {
    case TKeyCommand::kcNone:
        break;
    case TKeyCommand::kcDeleteBefore:
        DeleteBeside(*this, true);
        break;
    case TKeyCommand::kcDeleteAfter:
        DeleteBeside(*this, false);
        break;
    case TKeyCommand::kcClear:
        ClearSelection();
        FSelection->MakeVisible(4);
        break;
    case TKeyCommand::kcUndo:
        Undo();
        break;
    case TKeyCommand::kcRedo:
        Redo();
        break;
    case TKeyCommand::kcCut:
        CutToClipboard();
        break;
    case TKeyCommand::kcCopy:
        CopyToClipboard();
        break;
    case TKeyCommand::kcPaste:
        PasteFromClipboard();
        break;
    case TKeyCommand::kcMove:
        MoveCaret(*this, Key, Shift);
        break;
    case TKeyCommand::kcScroll:
        ScrollView(*this, Key, Shift);
        break;
    case TKeyCommand::kcSelectAll:
        SelectAll();
        break;
    case TKeyCommand::kcCollapse:
        if (FSelection->RLength() > 0)
            FSelection->CollapseTo(FSelection->CaretPos());
        break;
    }
    // Every key, even a lone modifier, brings the caret back into view.
    if (!FReadOnly)
        FSelection->MakeVisible(0);
}

bool TMemoComponent::TakesCharacter(char32_t Key) const {
    return !FReadOnly && IsTypedCharacter(Key);
}

void TMemoComponent::KeyPress(char32_t Key) {
    if (!TakesCharacter(Key))
        return;
    FSelection->SetText(Key == U'\r' ? std::u32string_view(U"\r\n") : std::u32string_view(&Key, 1));
    FSelection->MakeVisible(4);
}

} // namespace memo
