#pragma once
// TMCRanges: the collection of an editor's live ranges, built to stay fast with millions of them.
//
// Items sit in chunks of up to 2^ChunkShift slots, in collection order. A range that stores its
// positions (TMCRange) keeps them relative to its chunk's delta, and each chunk knows the bounds
// of its ranges. An edit then moves a whole chunk that lies after it by changing one delta, skips
// a chunk that lies before it, and looks range by range only into chunks that reach the edited
// text. Only the ranges that the literal rules could make observe something are visited one by
// one, in collection order from the last to the first: ranges the edit cuts or touches, ranges
// that do not store positions (visited exactly as the rules say), and ranges with a change
// notification (their Changed fires for every edit, as the rules say). Everything a range can see
// of itself is as the plain rules make it; a notification that looks at another range may find it
// already moved.
#include "Ranges.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

namespace memo {

class TMCRanges : public TObjectContainer {
public:
    static constexpr int DefaultChunkShift = 9;

    explicit TMCRanges(TMemoComponent* AOwner, int ChunkShift = DefaultChunkShift);
    ~TMCRanges() override;

    TMemoComponent* Editor() const { return FEditor; }
    int Count() const override { return FLive; }
    TContainerItem* Items(int Index) const override;

    // Moves every range for an edit that replaced S … F and changed the text's length by D; the
    // edited range and the visible range stay as they are.
    void AdjustForEdit(int S, int F, int D, TCustomRange* Edited, TCustomRange* Visible);

    // Bytes held by the collection itself (not by the ranges).
    size_t MemoryBytes() const;

protected:
    void InsertItem(TContainerItem* Item) override;
    void RemoveItem(TContainerItem* Item) override;
    std::vector<TContainerItem*> Snapshot() const override;

private:
    friend class TMCRange;
    friend class TCustomRange;

    struct Chunk {
        std::vector<TCustomRange*> Slots; // nullptr: a freed item
        int Live = 0;
        int Delta = 0; // added to the stored positions of its ranges
        int MinStart = INT_MAX, MinEnd = INT_MAX, MaxStart = INT_MIN, MaxEnd = INT_MIN;
        std::uint32_t Id = 0;
        std::uint32_t Order = 0; // place in collection order

        void ResetBounds() {
            MinStart = MinEnd = INT_MAX;
            MaxStart = MaxEnd = INT_MIN;
        }
        void Include(int Start, int End) {
            MinStart = std::min(MinStart, Start);
            MaxStart = std::max(MaxStart, Start);
            MinEnd = std::min(MinEnd, End);
            MaxEnd = std::max(MaxEnd, End);
        }
    };

    struct Visit {
        std::uint64_t Key; // collection order
        TCustomRange* Range;
        bool ApplyRules; // false: its positions are final already, only the bracket runs
    };

    static constexpr std::uint32_t TrackedBit = 0x80000000u;

    // Called by TMCRange's constructor: from now on its positions are stored and bounded.
    void TrackPositions(TMCRange* Range);
    bool IsTracked(const TCustomRange* Range) const;
    Chunk& ChunkOf(const TCustomRange* Range) const;
    int SlotOf(const TCustomRange* Range) const;
    std::uint64_t KeyOf(const TCustomRange* Range) const;
    int DeltaOf(const TMCRange* Range) const { return ChunkOf(Range).Delta; }
    void Widen(const TMCRange* Range, int Start, int End) { ChunkOf(Range).Include(Start, End); }
    void SetObserving(TCustomRange* Range, bool Observing);

    void ScanChunk(Chunk& C, int S, int F, int D, std::vector<Visit>& Visits);
    void ApplyEditRules(std::vector<Visit>& Visits, size_t Index, int S, int F, int D);

    Chunk& NewChunk();
    void PlaceInSlot(Chunk& C, TCustomRange* Item, bool Tracked);
    void Tidy(Chunk& C);
    void Pack(Chunk& C);
    void MergeNextInto(Chunk& C);
    void DropChunk(Chunk& C);
    void RenumberOrder();

    TMemoComponent* FEditor;
    int FChunkShift;
    int FChunkCapacity;
    int FLive = 0;
    std::vector<std::unique_ptr<Chunk>> FChunksById;
    std::vector<std::uint32_t> FFreeIds;
    std::vector<Chunk*> FOrder;
    std::vector<TCustomRange*> FUntracked;
    std::vector<TCustomRange*> FObservers;
    std::vector<Visit>* FVisiting = nullptr; // the visits of the adjustment under way
    int FAdjusting = 0;
    bool FClearing = false;
    std::vector<std::uint32_t> FUntidy; // ids of chunks to tidy once the adjustment is over
};

} // namespace memo
