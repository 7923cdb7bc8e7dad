#include "RangeCollection.h"

#include "MemoComponent.h"

#include <algorithm>

namespace memo {

TMCRanges::TMCRanges(TMemoComponent* AOwner, int ChunkShift)
    : TObjectContainer(AOwner), FEditor(AOwner), FChunkShift(std::clamp(ChunkShift, 2, 16)),
      FChunkCapacity(1 << FChunkShift) {}

TMCRanges::~TMCRanges() {
    // The base class cannot reach this storage any more once it runs: free the items here.
    FClearing = true;
    for (auto chunk = FOrder.rbegin(); chunk != FOrder.rend(); ++chunk) {
        auto& slots = (*chunk)->Slots;
        for (auto slot = slots.rbegin(); slot != slots.rend(); ++slot)
            delete *slot;
    }
}

TContainerItem* TMCRanges::Items(int Index) const {
    if (Index < 0 || Index >= FLive)
        return nullptr;
    for (Chunk* chunk : FOrder) {
        if (Index >= chunk->Live) {
            Index -= chunk->Live;
            continue;
        }
        for (TCustomRange* item : chunk->Slots)
            if (item != nullptr && Index-- == 0)
                return item;
    }
    return nullptr;
}

std::vector<TContainerItem*> TMCRanges::Snapshot() const {
    std::vector<TContainerItem*> items;
    items.reserve(static_cast<size_t>(FLive));
    for (Chunk* chunk : FOrder)
        for (TCustomRange* item : chunk->Slots)
            if (item != nullptr)
                items.push_back(item);
    return items;
}

size_t TMCRanges::MemoryBytes() const {
    size_t bytes = FOrder.capacity() * sizeof(Chunk*) + FChunksById.capacity() * sizeof(void*);
    for (Chunk* chunk : FOrder)
        bytes += sizeof(Chunk) + chunk->Slots.capacity() * sizeof(TCustomRange*);
    return bytes;
}

// --- Membership ---------------------------------------------------------------------------

bool TMCRanges::IsTracked(const TCustomRange* Range) const {
    return (IndexOf(Range) & TrackedBit) != 0;
}

TMCRanges::Chunk& TMCRanges::ChunkOf(const TCustomRange* Range) const {
    return *FChunksById[(IndexOf(Range) & ~TrackedBit) >> FChunkShift];
}

int TMCRanges::SlotOf(const TCustomRange* Range) const {
    return static_cast<int>(IndexOf(Range) & static_cast<std::uint32_t>(FChunkCapacity - 1));
}

std::uint64_t TMCRanges::KeyOf(const TCustomRange* Range) const {
    return (std::uint64_t{ChunkOf(Range).Order} << 32) | static_cast<std::uint32_t>(SlotOf(Range));
}

TMCRanges::Chunk& TMCRanges::NewChunk() {
    std::uint32_t id;
    if (!FFreeIds.empty()) {
        id = FFreeIds.back();
        FFreeIds.pop_back();
    } else {
        id = static_cast<std::uint32_t>(FChunksById.size());
        FChunksById.emplace_back();
    }
    FChunksById[id] = std::make_unique<Chunk>();
    Chunk& chunk = *FChunksById[id];
    chunk.Id = id;
    chunk.Order = static_cast<std::uint32_t>(FOrder.size());
    chunk.Slots.reserve(static_cast<size_t>(FChunkCapacity));
    FOrder.push_back(&chunk);
    return chunk;
}

void TMCRanges::PlaceInSlot(Chunk& C, TCustomRange* Item, bool Tracked) {
    auto slot = static_cast<std::uint32_t>(C.Slots.size());
    C.Slots.push_back(Item);
    IndexOf(Item) = (C.Id << FChunkShift) | slot | (Tracked ? TrackedBit : 0u);
}

void TMCRanges::InsertItem(TContainerItem* Item) {
    Chunk* last = FOrder.empty() ? nullptr : FOrder.back();
    if (last != nullptr && static_cast<int>(last->Slots.size()) == FChunkCapacity &&
        last->Live <= FChunkCapacity / 2)
        Pack(*last);
    if (last == nullptr || static_cast<int>(last->Slots.size()) == FChunkCapacity)
        last = &NewChunk();
    auto* range = static_cast<TCustomRange*>(Item);
    PlaceInSlot(*last, range, false);
    ++last->Live;
    ++FLive;
    // Every item starts as one visited literally; TMCRange's constructor promotes itself.
    FUntracked.push_back(range);
}

void TMCRanges::TrackPositions(TMCRange* Range) {
    auto it = std::find(FUntracked.rbegin(), FUntracked.rend(), Range);
    if (it != FUntracked.rend())
        FUntracked.erase(std::next(it).base());
    IndexOf(Range) |= TrackedBit;
}

void TMCRanges::RemoveItem(TContainerItem* Item) {
    auto* range = static_cast<TCustomRange*>(Item);
    if (FVisiting != nullptr)
        for (Visit& visit : *FVisiting)
            if (visit.Range == range)
                visit.Range = nullptr;
    if (!IsTracked(range))
        std::erase(FUntracked, range);
    if (!FObservers.empty())
        std::erase(FObservers, range);
    Chunk& chunk = ChunkOf(range);
    chunk.Slots[static_cast<size_t>(SlotOf(range))] = nullptr;
    --chunk.Live;
    --FLive;
    if (FClearing)
        return;
    if (FAdjusting > 0)
        FUntidy.push_back(chunk.Id);
    else
        Tidy(chunk);
}

void TMCRanges::SetObserving(TCustomRange* Range, bool Observing) {
    bool listed = std::find(FObservers.begin(), FObservers.end(), Range) != FObservers.end();
    if (Observing && !listed)
        FObservers.push_back(Range);
    else if (!Observing && listed)
        std::erase(FObservers, Range);
}

// --- Keeping chunks compact ------------------------------------------------------------------

void TMCRanges::Tidy(Chunk& C) {
    bool isLast = FOrder.back() == &C;
    if (C.Live == 0 && !isLast) {
        DropChunk(C);
        return;
    }
    if (C.Live > FChunkCapacity / 4)
        return;
    Pack(C);
    if (!isLast) {
        Chunk& next = *FOrder[C.Order + 1];
        if (C.Live + next.Live <= FChunkCapacity / 2)
            MergeNextInto(C);
    }
}

void TMCRanges::Pack(Chunk& C) {
    auto& slots = C.Slots;
    size_t kept = 0;
    for (TCustomRange* item : slots) {
        if (item == nullptr)
            continue;
        bool tracked = IsTracked(item);
        slots[kept] = item;
        IndexOf(item) =
            (C.Id << FChunkShift) | static_cast<std::uint32_t>(kept) | (tracked ? TrackedBit : 0u);
        ++kept;
    }
    slots.resize(kept);
}

void TMCRanges::MergeNextInto(Chunk& C) {
    Chunk& next = *FOrder[C.Order + 1];
    for (TCustomRange* item : next.Slots) {
        if (item == nullptr)
            continue;
        bool tracked = IsTracked(item);
        if (tracked) {
            auto* range = static_cast<TMCRange*>(item);
            range->FStart += next.Delta - C.Delta;
            range->FEnd += next.Delta - C.Delta;
        }
        PlaceInSlot(C, item, tracked);
        ++C.Live;
    }
    if (next.MinStart <= next.MaxStart) {
        C.Include(next.MinStart, next.MinEnd);
        C.Include(next.MaxStart, next.MaxEnd);
    }
    next.Slots.clear();
    next.Live = 0;
    DropChunk(next);
}

void TMCRanges::DropChunk(Chunk& C) {
    std::uint32_t id = C.Id;
    FOrder.erase(FOrder.begin() + C.Order);
    RenumberOrder();
    FChunksById[id].reset();
    FFreeIds.push_back(id);
}

void TMCRanges::RenumberOrder() {
    for (size_t i = 0; i < FOrder.size(); ++i)
        FOrder[i]->Order = static_cast<std::uint32_t>(i);
}

// --- Adjusting for an edit -------------------------------------------------------------------

void TMCRanges::ScanChunk(Chunk& C, int S, int F, int D, std::vector<Visit>& Visits) {
    C.ResetBounds();
    for (size_t slot = 0; slot < C.Slots.size(); ++slot) {
        TCustomRange* item = C.Slots[slot];
        if (item == nullptr || !IsTracked(item))
            continue;
        auto* range = static_cast<TMCRange*>(item);
        int start = range->FStart + C.Delta;
        int end = range->FEnd + C.Delta;
        if (start > F && end > F) {
            // Wholly after the edit: the rules move it by D and nothing more.
            range->FStart += D;
            range->FEnd += D;
            start += D;
            end += D;
        } else if (start >= S || end >= S) {
            Visits.push_back({(std::uint64_t{C.Order} << 32) | slot, item, true});
        }
        C.Include(start, end);
    }
}

void TMCRanges::AdjustForEdit(int S, int F, int D, TCustomRange* Edited, TCustomRange* Visible) {
    ++FAdjusting;
    std::vector<Visit> visits;
    bool editedTracked = Edited != nullptr && Edited->Collection() == this && IsTracked(Edited);
    int editedStart = editedTracked ? Edited->RStart() : 0;
    int editedEnd = editedTracked ? Edited->REnd() : 0;

    for (Chunk* chunk : FOrder) {
        if (chunk->MaxStart < S && chunk->MaxEnd < S)
            continue; // wholly before the edit (or no stored positions)
        if (chunk->MinStart > F && chunk->MinEnd > F) {
            chunk->Delta += D;
            chunk->MaxStart += D;
            chunk->MaxEnd += D;
            chunk->MinStart += D;
            chunk->MinEnd += D;
            continue;
        }
        ScanChunk(*chunk, S, F, D, visits);
    }
    if (editedTracked) {
        // The edited range keeps its place until the editor sets its result.
        static_cast<TMCRange*>(Edited)->Store(editedStart, editedEnd);
    }
    for (TCustomRange* range : FUntracked)
        visits.push_back({KeyOf(range), range, true});
    for (TCustomRange* range : FObservers)
        visits.push_back({KeyOf(range), range, false});

    std::erase_if(visits, [&](const Visit& v) { return v.Range == Edited || v.Range == Visible; });
    std::sort(visits.begin(), visits.end(), [](const Visit& a, const Visit& b) {
        return a.Key != b.Key ? a.Key > b.Key : a.ApplyRules > b.ApplyRules;
    });
    visits.erase(std::unique(visits.begin(), visits.end(),
                             [](const Visit& a, const Visit& b) { return a.Range == b.Range; }),
                 visits.end());

    std::vector<Visit>* outer = FVisiting;
    FVisiting = &visits;
    for (size_t i = 0; i < visits.size(); ++i) {
        if (visits[i].Range == nullptr)
            continue;
        if (visits[i].ApplyRules) {
            ApplyEditRules(visits, i, S, F, D);
        } else {
            visits[i].Range->BeginUpdate();
            visits[i].Range->EndUpdate();
        }
    }
    FVisiting = outer;

    if (--FAdjusting == 0) {
        auto untidy = std::move(FUntidy);
        FUntidy.clear();
        for (std::uint32_t id : untidy)
            if (id < FChunksById.size() && FChunksById[id] != nullptr)
                Tidy(*FChunksById[id]);
    }
}

void TMCRanges::ApplyEditRules(std::vector<Visit>& Visits, size_t Index, int S, int F, int D) {
    TCustomRange* range = Visits[Index].Range;
    range->BeginUpdate();
    bool overwritten = false;
    auto cutEnd = [&] {
        if (range->RStart() > S)
            range->SetRStart(S);
        range->SetREnd(S - 1);
        overwritten = true;
    };
    auto moveStart = [&] {
        int start = range->RStart();
        if (S <= start && start <= F) {
            range->SetRStart(S);
            overwritten = true;
        } else if (start > F) {
            range->SetRStart(start + D);
        }
    };
    if (D > 0) {
        // Growing: the end first.
        int end = range->REnd();
        if (S <= end && end <= F)
            cutEnd();
        else if (end > F)
            range->SetREnd(end + D);
        moveStart();
    } else {
        // Shrinking: the start first, the end tested on its old value.
        int oldEnd = range->REnd();
        moveStart();
        if (S <= oldEnd && oldEnd <= F)
            cutEnd();
        else if (oldEnd > F)
            range->SetREnd(oldEnd + D);
    }
    range->EndUpdate();
    // A change notification may have freed the range.
    if (Visits[Index].Range != nullptr && overwritten && range->RLength() < 1)
        range->DoOverwrite();
}

} // namespace memo
