// Recording edits, and replaying them as undo and redo steps.
#include "MemoComponent.h"

#include <algorithm>

namespace memo {

void TMemoComponent::PopUndo(TUndoOperation& Op) {
    FUndoStack.Pop(Op);
}

void TMemoComponent::PopRedo(TUndoOperation& Op) {
    FRedoStack.Pop(Op);
}

TUndoOperation* TMemoComponent::NewUndoSeparator() {
    auto* op = new TUndoOperation();
    op->Start = -1;
    op->Finish = -1;
    return op;
}

bool TMemoComponent::IsUndoSeparator(const TUndoOperation& Op) const {
    return Op.Start == -1 && Op.Finish == -1 && Op.Text.empty();
}

void TMemoComponent::PushUndo(TUndoOperation* Op) {
    FUndoStack.Push(Op);
}

void TMemoComponent::PushRedo(TUndoOperation* Op) {
    FRedoStack.Push(Op);
}

void TMemoComponent::ClearRedo() {
    TUndoOperation discarded;
    while (!FRedoStack.Empty())
        PopRedo(discarded);
}

void TMemoComponent::ClearUndoHistory() {
    FUndoStack.Clear();
    FRedoStack.Clear();
}

bool TMemoComponent::CanUndoMessage(int WParam) const {
    return WParam == 1 ? !FRedoStack.Empty() : !FUndoStack.Empty();
}

void TMemoComponent::RecordUndo(int S, int F, int L) {
    ClearRedo();
    int rangeLength = F - S + 1;
    TUndoOperation* h = FUndoStack.Top();
    if (h != nullptr) {
        bool pureDeletion = rangeLength > 0 && L == 0;
        bool topIsDeletion = !h->Text.empty() && h->Finish < h->Start;
        if (pureDeletion && topIsDeletion) {
            if (h->Start == S) {
                // Deleting forward at the same place.
                h->Text += Chars(S, F);
                return;
            }
            if (F + 1 == h->Start) {
                // Deleting just before it.
                h->Start -= rangeLength;
                h->Finish -= rangeLength;
                h->Text.insert(0, Chars(S, F));
                return;
            }
        }
        bool pureInsertion = rangeLength == 0 && L > 0;
        bool topIsInsertion = h->Text.empty() && h->Finish >= h->Start;
        if (pureInsertion && topIsInsertion && h->Finish + 1 == S) {
            // Typing goes on right after it.
            h->Finish += L;
            return;
        }
    }
    auto* op = new TUndoOperation();
    op->Start = S;
    op->Finish = S + L - 1;
    op->Text = Chars(S, F);
    PushUndo(op);
}

void TMemoComponent::UndoMessage(int WParam) {
    UndoStep(WParam == 1);
}

void TMemoComponent::UndoStep(bool FromRedo) {
    TUndoStack& source = FromRedo ? FRedoStack : FUndoStack;
    if (source.Empty())
        return;
    bool fromUndo = !FromRedo;
    auto pop = [&](TUndoOperation& op) {
        if (fromUndo)
            PopUndo(op);
        else
            PopRedo(op);
    };
    auto push = [&](TUndoOperation* op) {
        if (fromUndo)
            PushRedo(op);
        else
            PushUndo(op);
    };

    FUndoing = true;
    bool inGroup = false;
    std::unique_ptr<TMCRange> caretRange;
    auto leaveGroup = [&] {
        FVisibleRange->CancelUpdate();
        FSelection->HideEditCaret();
        FVisibleRange->Paint();
        if (caretRange) {
            FSelection->BeginUpdate();
            FSelection->SetBackwards(false);
            FSelection->SetRStart(caretRange->RStart());
            FSelection->SetREnd(caretRange->REnd());
            FSelection->EndUpdate();
        }
        FSelection->PlaceCaret();
        FSelection->ShowEditCaret();
        FChangesSuspended = false;
        Change();
        SelectionChange();
    };
    do {
        TUndoOperation op;
        pop(op);
        if (IsUndoSeparator(op)) {
            inGroup = !inGroup;
            if (inGroup) {
                FChangesSuspended = true;
                FVisibleRange->BeginUpdate();
            } else {
                leaveGroup();
            }
            push(NewUndoSeparator());
            continue;
        }
        TMCRange r(this, op.Start, op.Finish);
        auto* inverse = new TUndoOperation();
        inverse->Text = r.Text();
        r.SetText(op.Text);
        inverse->Start = r.RStart();
        inverse->Finish = r.REnd();
        push(inverse);
        if (!inGroup) {
            FSelection->BeginUpdate();
            FSelection->SetBackwards(false);
            FSelection->SetRStart(r.RStart());
            FSelection->SetREnd(r.REnd());
            FSelection->EndUpdate();
        } else if (!caretRange) {
            caretRange = std::make_unique<TMCRange>(FRanges.get());
            caretRange->BeginUpdate();
            caretRange->SetRStart(r.REnd() + 1);
            caretRange->SetREnd(r.REnd());
            caretRange->CancelUpdate();
        } else if (caretRange->RStart() < r.REnd() + 1) {
            caretRange->SetRStart(r.REnd() + 1);
        }
    } while (inGroup && !source.Empty());
    if (inGroup) {
        // The group's closing separator is missing: the history ran out, so the group ends
        // here, and stays bracketed in the other history.
        leaveGroup();
        push(NewUndoSeparator());
    }
    caretRange.reset();
    FUndoing = false;
    Change();
}

} // namespace memo
