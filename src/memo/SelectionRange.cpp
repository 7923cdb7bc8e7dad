#include "MemoComponent.h"

#include <algorithm>

namespace memo {

TSelectionRange::TSelectionRange(TMCRanges* Collection) : TMCRange(Collection) {}

TSelectionRange::~TSelectionRange() = default;

void TSelectionRange::CollapseTo(int Pos) {
    BeginUpdate();
    FBackwards = false;
    SetRStart(Pos);
    SetREnd(Pos - 1);
    EndUpdate();
}

void TSelectionRange::ExtendTo(int Pos) {
    if (FBackwards) {
        if (Pos <= REnd()) {
            SetRStart(Pos);
        } else {
            FBackwards = false;
            SetRStart(REnd() + 1);
            SetREnd(Pos - 1);
        }
    } else {
        if (Pos >= RStart()) {
            SetREnd(Pos - 1);
        } else {
            FBackwards = true;
            SetREnd(RStart() - 1);
            SetRStart(Pos);
        }
    }
}

int TSelectionRange::CaretDisplayCol() {
    if (FDesiredCol >= 1)
        return FDesiredCol;
    if (Editor() == nullptr)
        return 1;
    FDesiredCol = Editor()->CharColToDisplayCol(Editor()->PosToLineCol(CaretPos()));
    return FDesiredCol;
}

int TSelectionRange::CharColForLine(int Line) {
    TMemoComponent* e = Editor();
    if (e == nullptr)
        return 1;
    TLineCol lc = LineCol(Line, CaretDisplayCol());
    e->DisplayToCharCol(lc);
    int limit = Line >= 1 && Line <= e->LineCount() ? e->LineLength(Line) + 1 : -1;
    return std::min(lc.Col, limit);
}

void TSelectionRange::HideEditCaret() {
    TMemoComponent* e = Editor();
    if (e != nullptr && e->CaretCreated() && FCaretShown) {
        e->Host()->HideCaret();
        FCaretShown = false;
    }
}

void TSelectionRange::ShowEditCaret() {
    if (UpdateCount() > 0)
        return;
    TMemoComponent* e = Editor();
    bool hidden = e == nullptr || !e->CaretCreated() || (RLength() > 0 && !e->AlwaysShowCaret()) ||
                  FHidden || e->ReadOnly() || !e->WindowExists();
    if (hidden) {
        HideEditCaret();
    } else if (!FCaretShown) {
        e->Host()->ShowCaret();
        FCaretShown = true;
    }
}

void TSelectionRange::PlaceCaret() {
    TMemoComponent* e = Editor();
    if (e == nullptr || !e->CaretCreated() || UpdateCount() > 0)
        return;
    TPoint p;
    if (FBackwards)
        GetStartPoint(p);
    else
        GetEndPoint(p);
    e->Host()->SetCaretPos(p.x - 1, p.y + 1);
}

void TSelectionRange::SetHidden(bool Value) {
    FHidden = Value;
    Paint();
}

void TSelectionRange::AssignTo(TPersistent* Dest) const {
    auto* dest = dynamic_cast<TSelectionRange*>(Dest);
    if (dest != nullptr) {
        dest->BeginUpdate();
        dest->FBackwards = FBackwards;
    }
    TMCRange::AssignTo(Dest);
    if (dest != nullptr)
        dest->EndUpdate();
}

void TSelectionRange::UpdateStarted() {
    HideEditCaret();
    FDesiredCol = -1;
    FOldSelection = std::make_unique<TMCRange>(Editor(), RStart(), REnd());
}

void TSelectionRange::Changed() {
    TCustomRange::Changed();
    if (FOldSelection) {
        RepaintDifference(*FOldSelection);
        FOldSelection.reset();
    }
    PlaceCaret();
    ShowEditCaret();
    if (Editor())
        Editor()->SelectionChange();
}

void TSelectionRange::RepaintDifference(const TMCRange& Old) {
    TMemoComponent* e = Editor();
    auto repaint = [e](int start, int end) {
        TMCRange piece(e, start, end);
        piece.Paint();
    };
    int oldStart = Old.RStart(), oldEnd = Old.REnd();
    int start = RStart(), end = REnd();
    if (start == oldStart) {
        if (end > oldEnd)
            repaint(oldEnd + 1, end);
        else if (end < oldEnd)
            repaint(end + 1, oldEnd);
    } else if (end == oldEnd) {
        if (start < oldStart)
            repaint(start, oldStart - 1);
        else
            repaint(oldStart, start - 1);
    } else {
        Paint();
        repaint(oldStart, oldEnd);
    }
}

void TSelectionRange::UpdateCancelled() {
    FOldSelection.reset();
    PlaceCaret();
    ShowEditCaret();
}

} // namespace memo
