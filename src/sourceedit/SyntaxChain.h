#pragma once
// TSyntaxChain: the lexical ranges of a text, in text order, tiling it without gaps or overlaps,
// kept compactly enough for scripts of many megabytes.
//
// A range is a class, an attribute and a length, packed into two or three bytes; ranges sit in
// blocks of up to 128. Each block knows where its first range starts and the parenthesis level
// before it, in two integer lists whose "add from here on" steps are applied lazily; a range's
// position and level are summed up from there. An edit re-encodes only the blocks it touches, and
// moves every block after it, positions and levels alike, at almost no cost.
#include "IntegerList.h"
#include "SyntaxToken.h"

#include <cstdint>
#include <span>
#include <vector>

namespace sourceedit {

class TSyntaxChain {
public:
    // A place in the chain: one entry, read out with its extent and level. A cursor belongs to the
    // chain as it was when the cursor was made; any change of the chain invalidates it.
    class TCursor {
    public:
        bool Valid() const { return FValid; }
        const TSyntaxToken& Token() const { return FToken; }
        // The next entry; invalid past the last one.
        void Next();

    private:
        friend class TSyntaxChain;
        const TSyntaxChain* FChain = nullptr;
        unsigned FVersion = 0;
        int FBlock = 0;
        int FNextOffset = 0; // where the next entry's code begins in the block
        TSyntaxToken FToken;
        bool FValid = false;
    };

    bool Empty() const { return FBlocks.empty(); }
    // Entries, gaps included.
    int Count() const { return FCount; }
    // The last position the chain covers; 0 when it is empty.
    int End() const;
    TCursor First() const;
    // The entry that holds Pos; invalid when Pos lies outside 1 … End.
    TCursor At(int Pos) const;
    // The same, walking on from Hint when it is a cursor of this chain a little before Pos (the
    // next line to paint usually is).
    TCursor At(int Pos, const TCursor& Hint) const;
    // Whether Cursor still describes this chain.
    bool IsCurrent(const TCursor& Cursor) const {
        return Cursor.FChain == this && Cursor.FVersion == FVersion;
    }

    void Clear();
    // Replaces the whole entries that tile From … To (none when To = From − 1) by Tokens, whose
    // lengths tile From … on; every entry after them moves by the difference in length. Returns by
    // how much the parenthesis level of everything after them changed.
    int Replace(int From, int To, std::span<const TSyntaxToken> Tokens);

    // Moves the entries for an edit that replaced S … F by L characters, as live ranges move with
    // their characters: a range inside the replaced text goes, a range the edit cuts shrinks, text
    // typed inside a range joins it, and new text that joins no range is a gap. Modified receives
    // the start of every range whose characters the edit changed. Returns by how much the
    // parenthesis level of what follows changed.
    int AdjustForEdit(int S, int F, int L, std::vector<int>& Modified);

    // Bytes held by the chain.
    size_t MemoryBytes() const;

private:
    // One range or gap as a block stores it.
    struct TEntry {
        TSyntaxKind Kind;
        int Attribute;
        int Length;
    };
    struct TBlock {
        std::vector<std::uint8_t> Codes;
        int Count = 0;
        int Length = 0;
        int LevelDelta = 0;
    };

    static constexpr int BlockEntries = 128;

    int BlockAt(int Pos) const;
    void Decode(const TBlock& Block, std::vector<TEntry>& Entries) const;
    static TBlock Encode(std::span<const TEntry> Entries);
    // Replaces blocks First … Last by Entries, which start at Start with parenthesis level Level.
    void Rebuild(int First, int Last, int Start, int Level, std::span<const TEntry> Entries);
    void ReadEntry(TCursor& Cursor, int Offset, int Start, int LevelBefore) const;

    std::vector<TBlock> FBlocks;
    memo::TIntegerList FStarts; // where each block's first entry starts
    memo::TIntegerList FLevels; // the parenthesis level before each block's first entry
    int FCount = 0;
    unsigned FVersion = 0;
    // Scratch space of Replace, kept for the next edit.
    std::vector<TEntry> FDecoded;
    std::vector<TEntry> FEntries;
};

} // namespace sourceedit
