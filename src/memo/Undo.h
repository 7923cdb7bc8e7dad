#pragma once
// The undo and redo histories: stacks of replacement records, newest first.
#include <string>

namespace memo {

// One history entry: replacing Start … Finish by Text undoes (or redoes) one step. A separator
// (Start = Finish = −1, no text) opens or closes a group.
struct TUndoOperation {
    int Start = 0;
    int Finish = 0;
    std::u32string Text;
    TUndoOperation* Next = nullptr;
};

// A singly linked stack that owns its records.
class TUndoStack {
public:
    TUndoStack() = default;
    TUndoStack(const TUndoStack&) = delete;
    TUndoStack& operator=(const TUndoStack&) = delete;
    ~TUndoStack() { Clear(); }

    bool Empty() const { return FTop == nullptr; }
    TUndoOperation* Top() const { return FTop; }
    // Takes ownership; a missing record is ignored.
    void Push(TUndoOperation* Op) {
        if (Op == nullptr)
            return;
        Op->Next = FTop;
        FTop = Op;
    }
    // Removes the top record and hands it over (nullptr when empty).
    TUndoOperation* Take() {
        TUndoOperation* top = FTop;
        if (top != nullptr) {
            FTop = top->Next;
            top->Next = nullptr;
        }
        return top;
    }
    // Copies the top record into Op and frees it; Op keeps its contents when the stack is empty.
    void Pop(TUndoOperation& Op) {
        if (TUndoOperation* top = Take()) {
            Op.Start = top->Start;
            Op.Finish = top->Finish;
            Op.Text = std::move(top->Text);
            delete top;
        }
    }
    // Frees every record, one by one (the history may be long).
    void Clear() {
        while (!Empty())
            delete Take();
    }

private:
    TUndoOperation* FTop = nullptr;
};

} // namespace memo
