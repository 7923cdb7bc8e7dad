#include "IntegerList.h"

#include <algorithm>
#include <cstdlib>

namespace memo {

void TIntegerList::Clear() {
    FBody.Clear();
    FStepFrom = 0;
    FStepDelta = 0;
}

void TIntegerList::MoveStepTo(int Index) {
    if (FStepDelta == 0) {
        FStepFrom = Index;
        return;
    }
    if (Index > FStepFrom)
        FBody.AddToRange(FStepFrom, Index, FStepDelta);
    else if (Index < FStepFrom)
        FBody.AddToRange(Index, FStepFrom, -FStepDelta);
    FStepFrom = Index;
}

void TIntegerList::Delete(int Index) {
    if (Index < 0 || Index >= Count())
        return;
    if (Index < FStepFrom)
        --FStepFrom;
    FBody.DeleteRange(Index, 1);
}

void TIntegerList::Insert(int Index, std::int32_t Value) {
    Index = std::clamp(Index, 0, Count());
    // Stored values below the step lack the pending delta.
    if (Index >= FStepFrom) {
        FBody.Insert(Index, Value - FStepDelta);
    } else {
        FBody.Insert(Index, Value);
        ++FStepFrom;
    }
}

void TIntegerList::Put(int Index, std::int32_t Value) {
    if (Index < 0 || Index >= Count())
        return;
    FBody[Index] = Value - (Index >= FStepFrom ? FStepDelta : 0);
}

void TIntegerList::AddFrom(int Index, std::int32_t Delta) {
    Index = std::clamp(Index, 0, Count());
    if (Delta == 0 || Index == Count())
        return;
    // Move the step to Index unless that costs more than applying it to the end.
    int moveCost = std::abs(Index - FStepFrom);
    int flushCost = Count() - FStepFrom;
    if (FStepDelta != 0 && moveCost > flushCost) {
        FBody.AddToRange(FStepFrom, Count(), FStepDelta);
        FStepDelta = 0;
    }
    MoveStepTo(Index);
    FStepDelta += Delta;
}

} // namespace memo
