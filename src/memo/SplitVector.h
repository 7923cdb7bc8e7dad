#pragma once
// A gap buffer: a vector with a movable hole, so that a run of edits at one place costs little
// however long the content is.
#include "HugePages.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

namespace memo {

template <class T>
class SplitVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    std::ptrdiff_t Length() const { return FLength; }

    T ValueAt(std::ptrdiff_t Index) const {
        return Index < FPart1 ? FBody[static_cast<size_t>(Index)]
                              : FBody[static_cast<size_t>(Index + FGap)];
    }
    T& operator[](std::ptrdiff_t Index) {
        return Index < FPart1 ? FBody[static_cast<size_t>(Index)]
                              : FBody[static_cast<size_t>(Index + FGap)];
    }

    void Clear() {
        FBody.clear();
        FBody.shrink_to_fit();
        FPart1 = FGap = FLength = 0;
    }

    // Takes Body over as the whole content, without a copy; its spare capacity becomes the gap.
    void Adopt(std::vector<T>&& Body) {
        FBody = std::move(Body);
        FLength = FPart1 = static_cast<std::ptrdiff_t>(FBody.size());
        FBody.resize(FBody.capacity());
        FGap = static_cast<std::ptrdiff_t>(FBody.size()) - FLength;
    }

    void Insert(std::ptrdiff_t Index, T Value) { InsertRange(Index, &Value, 1); }

    // Values of another type are converted one by one (the caller knows that they fit).
    template <class U>
    void InsertRange(std::ptrdiff_t Index, const U* Values, std::ptrdiff_t Count) {
        if (Count <= 0)
            return;
        RoomFor(Count);
        GapTo(Index);
        T* to = FBody.data() + FPart1;
        if constexpr (std::is_same_v<U, T>) {
            std::memcpy(to, Values, static_cast<size_t>(Count) * sizeof(T));
        } else {
            for (std::ptrdiff_t i = 0; i < Count; ++i)
                to[i] = static_cast<T>(Values[i]);
        }
        FPart1 += Count;
        FGap -= Count;
        FLength += Count;
    }

    void DeleteRange(std::ptrdiff_t Index, std::ptrdiff_t Count) {
        if (Count <= 0)
            return;
        if (Index == 0 && Count == FLength) {
            // Dropping everything: keep no stale capacity around.
            Clear();
            return;
        }
        GapTo(Index);
        FGap += Count;
        FLength -= Count;
    }

    // Copies Count elements from Index into Out, converting them to Out's type.
    template <class U>
    void CopyOut(std::ptrdiff_t Index, std::ptrdiff_t Count, U* Out) const {
        std::ptrdiff_t first = std::clamp<std::ptrdiff_t>(FPart1 - Index, 0, Count);
        if (first > 0)
            Convert(FBody.data() + Index, first, Out);
        if (Count > first)
            Convert(FBody.data() + Index + first + FGap, Count - first, Out + first);
    }

    // Adds Delta to the elements From … To − 1.
    void AddToRange(std::ptrdiff_t From, std::ptrdiff_t To, T Delta) {
        std::ptrdiff_t split = std::clamp(FPart1, From, To);
        for (std::ptrdiff_t i = From; i < split; ++i)
            FBody[static_cast<size_t>(i)] += Delta;
        for (std::ptrdiff_t i = split; i < To; ++i)
            FBody[static_cast<size_t>(i + FGap)] += Delta;
    }

    size_t CapacityBytes() const { return FBody.capacity() * sizeof(T); }

    // The elements before the gap and those after it: two contiguous runs, valid until the next
    // change.
    struct TRuns {
        const T* First = nullptr;
        std::ptrdiff_t FirstLength = 0;
        const T* Second = nullptr;
        std::ptrdiff_t SecondLength = 0;
    };
    TRuns Runs() const {
        const T* body = FBody.data();
        return TRuns{body, FPart1, body + FPart1 + FGap, FLength - FPart1};
    }

private:
    template <class U>
    static void Convert(const T* From, std::ptrdiff_t Count, U* To) {
        if constexpr (std::is_same_v<U, T>) {
            std::memcpy(To, From, static_cast<size_t>(Count) * sizeof(T));
        } else {
            for (std::ptrdiff_t i = 0; i < Count; ++i)
                To[i] = static_cast<U>(From[i]);
        }
    }

    void GapTo(std::ptrdiff_t Index) {
        if (Index == FPart1)
            return;
        T* body = FBody.data();
        if (Index < FPart1)
            std::memmove(body + Index + FGap, body + Index,
                         static_cast<size_t>(FPart1 - Index) * sizeof(T));
        else
            std::memmove(body + FPart1, body + FPart1 + FGap,
                         static_cast<size_t>(Index - FPart1) * sizeof(T));
        FPart1 = Index;
    }

    void RoomFor(std::ptrdiff_t Count) {
        if (FGap >= Count)
            return;
        // Grow by an eighth: big texts stay close to their own size.
        std::ptrdiff_t newSize = FLength + Count + std::max<std::ptrdiff_t>(FLength / 8, 1024);
        GapTo(FLength);
        FBody.reserve(static_cast<size_t>(newSize));
        velmora::AdviseHugePages(FBody.data(), FBody.capacity() * sizeof(T));
        FBody.resize(static_cast<size_t>(newSize));
        FGap = newSize - FLength;
    }

    std::vector<T> FBody;
    std::ptrdiff_t FPart1 = 0; // elements before the gap
    std::ptrdiff_t FGap = 0;   // size of the gap
    std::ptrdiff_t FLength = 0;
};

} // namespace memo
