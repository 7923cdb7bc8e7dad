#pragma once
// TIntegerList: a growable list of 32-bit integers, 0-based. It is a gap buffer with one pending
// "add this to every entry from here on" step that is applied lazily, so that shifting the line
// starts after an edit costs nothing until the entries are read far away from the edit.
#include "SplitVector.h"

#include <cstdint>

namespace memo {

class TIntegerList {
public:
    void Add(std::int32_t Value) { Insert(Count(), Value); }
    void Clear();
    void Delete(int Index);
    int Count() const { return static_cast<int>(FBody.Length()); }
    std::int32_t Get(int Index) const {
        return FBody.ValueAt(Index) + (Index >= FStepFrom ? FStepDelta : 0);
    }
    void Insert(int Index, std::int32_t Value);
    void Put(int Index, std::int32_t Value);
    // Adds Delta to every entry from Index to the end.
    void AddFrom(int Index, std::int32_t Delta);
    size_t CapacityBytes() const { return FBody.CapacityBytes(); }

private:
    // Moves the pending step so that it starts at Index (entries keep their values).
    void MoveStepTo(int Index);

    SplitVector<std::int32_t> FBody;
    int FStepFrom = 0; // entries from here on still lack FStepDelta
    std::int32_t FStepDelta = 0;
};

} // namespace memo
