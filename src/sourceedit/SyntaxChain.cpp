#include "SyntaxChain.h"

#include <algorithm>

namespace sourceedit {

namespace {

// An entry's code: the kind in the low three bits, the attribute above them; an attribute of 31
// or more is written after the code. Then the length. Numbers take 7 bits a byte, low bits first.
constexpr int KindBits = 3;
constexpr int InlineAttributes = 31;

void PutNumber(std::vector<std::uint8_t>& Codes, unsigned Value) {
    while (Value >= 0x80) {
        Codes.push_back(static_cast<std::uint8_t>(Value | 0x80));
        Value >>= 7;
    }
    Codes.push_back(static_cast<std::uint8_t>(Value));
}

int NumberBytes(unsigned Value) {
    int bytes = 1;
    for (; Value >= 0x80; Value >>= 7)
        ++bytes;
    return bytes;
}

unsigned GetNumber(const std::uint8_t* Codes, int& Offset) {
    unsigned value = 0;
    for (int shift = 0;; shift += 7) {
        std::uint8_t byte = Codes[Offset++];
        value |= static_cast<unsigned>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return value;
    }
}

// Reads the entry at Offset and moves Offset past it.
void GetEntry(const std::uint8_t* Codes, int& Offset, TSyntaxKind& Kind, int& Attribute,
              int& Length) {
    std::uint8_t code = Codes[Offset++];
    Kind = static_cast<TSyntaxKind>(code & ((1 << KindBits) - 1));
    Attribute = code >> KindBits;
    if (Attribute == InlineAttributes)
        Attribute = static_cast<int>(GetNumber(Codes, Offset));
    Length = static_cast<int>(GetNumber(Codes, Offset));
}

int LevelDeltaOf(TSyntaxKind Kind, int Attribute) {
    return TSyntaxToken{Kind, Attribute}.LevelDelta();
}

// Where a live range Start … End goes when S … F is replaced and the text grows by D; false when
// the edit overwrote it whole (it is then empty).
bool MoveRange(int& Start, int& End, int S, int F, int D) {
    bool overwritten = false;
    auto moveStart = [&] {
        if (S <= Start && Start <= F) {
            Start = S;
            overwritten = true;
        } else if (Start > F) {
            Start += D;
        }
    };
    auto moveEnd = [&](int OldEnd) {
        if (S <= OldEnd && OldEnd <= F) {
            Start = std::min(Start, S);
            End = S - 1;
            overwritten = true;
        } else if (OldEnd > F) {
            End = OldEnd + D;
        }
    };
    int oldEnd = End;
    if (D > 0) {
        moveEnd(oldEnd);
        moveStart();
    } else {
        moveStart();
        moveEnd(oldEnd);
    }
    return !(overwritten && End < Start);
}

} // namespace

// --- Cursor ----------------------------------------------------------------------------------

void TSyntaxChain::ReadEntry(TCursor& Cursor, int Offset, int Start, int LevelBefore) const {
    TSyntaxToken& token = Cursor.FToken;
    int length = 0;
    GetEntry(FBlocks[static_cast<size_t>(Cursor.FBlock)].Codes.data(), Offset, token.Kind,
             token.Attribute, length);
    Cursor.FNextOffset = Offset;
    token.RStart = Start;
    token.REnd = Start + length - 1;
    token.ParenthesisLevel = LevelBefore + (token.LevelDelta() > 0 ? 1 : 0);
    Cursor.FValid = true;
}

void TSyntaxChain::TCursor::Next() {
    if (!FValid)
        return;
    const TSyntaxChain& chain = *FChain;
    const TBlock& block = chain.FBlocks[static_cast<size_t>(FBlock)];
    if (FNextOffset < static_cast<int>(block.Codes.size())) {
        chain.ReadEntry(*this, FNextOffset, FToken.REnd + 1, FToken.LevelAfter());
        return;
    }
    if (++FBlock >= static_cast<int>(chain.FBlocks.size())) {
        FValid = false;
        return;
    }
    // Each block's own start and level: a chain that does not add up shows in FindChainGap.
    chain.ReadEntry(*this, 0, chain.FStarts.Get(FBlock), chain.FLevels.Get(FBlock));
}

TSyntaxChain::TCursor TSyntaxChain::First() const {
    TCursor cursor;
    cursor.FChain = this;
    cursor.FVersion = FVersion;
    if (!FBlocks.empty())
        ReadEntry(cursor, 0, FStarts.Get(0), FLevels.Get(0));
    return cursor;
}

int TSyntaxChain::End() const {
    if (FBlocks.empty())
        return 0;
    int last = static_cast<int>(FBlocks.size()) - 1;
    return FStarts.Get(last) + FBlocks.back().Length - 1;
}

int TSyntaxChain::BlockAt(int Pos) const {
    // The last block that starts at or before Pos.
    int low = 0;
    int high = static_cast<int>(FBlocks.size()) - 1;
    while (low < high) {
        int mid = low + (high - low + 1) / 2;
        if (FStarts.Get(mid) <= Pos)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

TSyntaxChain::TCursor TSyntaxChain::At(int Pos) const {
    TCursor cursor;
    cursor.FChain = this;
    cursor.FVersion = FVersion;
    if (FBlocks.empty() || Pos < FStarts.Get(0) || Pos > End())
        return cursor;
    cursor.FBlock = BlockAt(Pos);
    ReadEntry(cursor, 0, FStarts.Get(cursor.FBlock), FLevels.Get(cursor.FBlock));
    while (cursor.FToken.REnd < Pos)
        cursor.Next();
    return cursor;
}

TSyntaxChain::TCursor TSyntaxChain::At(int Pos, const TCursor& Hint) const {
    // Farther than this, a search costs less than the walk.
    constexpr int NearBy = 4096;
    if (!IsCurrent(Hint) || !Hint.Valid() || Hint.FToken.RStart > Pos ||
        Pos - Hint.FToken.RStart > NearBy)
        return At(Pos);
    TCursor cursor = Hint;
    while (cursor.Valid() && cursor.FToken.REnd < Pos)
        cursor.Next();
    return cursor;
}

// --- Changes ---------------------------------------------------------------------------------

void TSyntaxChain::Clear() {
    FBlocks.clear();
    FBlocks.shrink_to_fit();
    FStarts.Clear();
    FLevels.Clear();
    FCount = 0;
    ++FVersion;
}

void TSyntaxChain::Decode(const TBlock& Block, std::vector<TEntry>& Entries) const {
    int offset = 0;
    while (offset < static_cast<int>(Block.Codes.size())) {
        TEntry entry{};
        GetEntry(Block.Codes.data(), offset, entry.Kind, entry.Attribute, entry.Length);
        Entries.push_back(entry);
    }
}

TSyntaxChain::TBlock TSyntaxChain::Encode(std::span<const TEntry> Entries) {
    TBlock block;
    // Exactly as many bytes as the codes need: blocks are most of the chain's memory.
    size_t bytes = 0;
    for (const TEntry& entry : Entries) {
        bytes += 1 + static_cast<size_t>(NumberBytes(static_cast<unsigned>(entry.Length)));
        if (entry.Attribute >= InlineAttributes)
            bytes += static_cast<size_t>(NumberBytes(static_cast<unsigned>(entry.Attribute)));
    }
    std::vector<std::uint8_t>& codes = block.Codes;
    codes.reserve(bytes);
    for (const TEntry& entry : Entries) {
        int inlined = std::min(entry.Attribute, InlineAttributes);
        codes.push_back(
            static_cast<std::uint8_t>(static_cast<int>(entry.Kind) | (inlined << KindBits)));
        if (inlined == InlineAttributes)
            PutNumber(codes, static_cast<unsigned>(entry.Attribute));
        PutNumber(codes, static_cast<unsigned>(entry.Length));
        block.Length += entry.Length;
        block.LevelDelta += LevelDeltaOf(entry.Kind, entry.Attribute);
    }
    block.Count = static_cast<int>(Entries.size());
    return block;
}

void TSyntaxChain::Rebuild(int First, int Last, int Start, int Level,
                           std::span<const TEntry> Entries) {
    // Even blocks: a split never leaves a sliver behind.
    int count = static_cast<int>(Entries.size());
    int blocks = (count + BlockEntries - 1) / BlockEntries;
    int old = Last - First + 1;
    // Blocks are rewritten in place; only a difference in number moves the blocks after them.
    if (blocks > old) {
        FBlocks.insert(FBlocks.begin() + (Last + 1), static_cast<size_t>(blocks - old), TBlock{});
        for (int b = old; b < blocks; ++b) {
            FStarts.Insert(First + b, 0);
            FLevels.Insert(First + b, 0);
        }
    } else if (blocks < old) {
        for (int b = old - 1; b >= blocks; --b) {
            FCount -= FBlocks[static_cast<size_t>(First + b)].Count;
            FStarts.Delete(First + b);
            FLevels.Delete(First + b);
        }
        FBlocks.erase(FBlocks.begin() + (First + blocks), FBlocks.begin() + (Last + 1));
    }
    for (int b = 0; b < blocks; ++b) {
        int from = static_cast<int>(static_cast<long long>(count) * b / blocks);
        int to = static_cast<int>(static_cast<long long>(count) * (b + 1) / blocks);
        TBlock& block = FBlocks[static_cast<size_t>(First + b)];
        FCount -= block.Count;
        block = Encode(Entries.subspan(static_cast<size_t>(from), static_cast<size_t>(to - from)));
        FCount += block.Count;
        FStarts.Put(First + b, Start);
        FLevels.Put(First + b, Level);
        Start += block.Length;
        Level += block.LevelDelta;
    }
}

int TSyntaxChain::Replace(int From, int To, std::span<const TSyntaxToken> Tokens) {
    ++FVersion;
    int blockCount = static_cast<int>(FBlocks.size());
    // The blocks that hold From … To, or the one the new entries join.
    int first = blockCount == 0 ? 0 : BlockAt(From);
    int last = blockCount == 0 ? -1 : To >= From ? BlockAt(To) : first;
    // The entries after To come from the block that holds To and, when it is small, the next
    // one, which joins in so that blocks do not dwindle away.
    int tail = last;
    if (last >= 0 && last + 1 < blockCount &&
        FBlocks[static_cast<size_t>(last + 1)].Count < BlockEntries / 4)
        ++last;
    int start = last >= 0 ? FStarts.Get(first) : From;
    int level = last >= 0 ? FLevels.Get(first) : 0;
    int oldLevelDelta = 0;
    for (int b = first; b <= last; ++b)
        oldLevelDelta += FBlocks[static_cast<size_t>(b)].LevelDelta;

    // The entries of the first block before From, the new ones, then the entries after To; the
    // blocks between are dropped whole.
    FEntries.clear();
    int levelShift = 0;
    if (last >= 0) {
        FDecoded.clear();
        Decode(FBlocks[static_cast<size_t>(first)], FDecoded);
        for (int i = 0, pos = start; i < static_cast<int>(FDecoded.size()) && pos < From; ++i) {
            FEntries.push_back(FDecoded[static_cast<size_t>(i)]);
            pos += FDecoded[static_cast<size_t>(i)].Length;
            oldLevelDelta -= LevelDeltaOf(FEntries.back().Kind, FEntries.back().Attribute);
        }
    }
    int newLength = 0;
    for (const TSyntaxToken& token : Tokens) {
        FEntries.push_back(TEntry{token.Kind, token.Attribute, token.RLength()});
        newLength += token.RLength();
        levelShift += token.LevelDelta();
    }
    for (int b = tail; b >= 0 && b <= last; ++b) {
        FDecoded.clear();
        Decode(FBlocks[static_cast<size_t>(b)], FDecoded);
        int pos = FStarts.Get(b);
        for (const TEntry& entry : FDecoded) {
            if (pos > To) {
                FEntries.push_back(entry);
                oldLevelDelta -= LevelDeltaOf(entry.Kind, entry.Attribute);
            }
            pos += entry.Length;
        }
    }
    levelShift -= oldLevelDelta;

    Rebuild(first, last, start, level, FEntries);
    int after = first + static_cast<int>(FBlocks.size()) - blockCount + (last - first + 1);
    FStarts.AddFrom(after, newLength - (To - From + 1));
    FLevels.AddFrom(after, levelShift);
    return levelShift;
}

int TSyntaxChain::AdjustForEdit(int S, int F, int L, std::vector<int>& Modified) {
    if (Empty())
        return 0;
    int d = L - (F - S + 1);
    // The entries the edit reaches: those it replaces characters of, or is typed into.
    TCursor first = At(S);
    bool reached = first.Valid() && (F >= S || first.Token().RStart < S);
    if (!reached) {
        if (L <= 0)
            return 0;
        TSyntaxToken gap{TSyntaxKind::skGap, 0, S, S + L - 1};
        return Replace(S, S - 1, std::span(&gap, 1));
    }
    // Only the first and the last of them can outlive the edit: the ranges between lie wholly
    // inside the replaced text.
    TCursor last = F > S ? At(F) : first;
    int from = first.Token().RStart;
    int to = last.Token().REnd;
    std::vector<TSyntaxToken> kept;
    for (const TCursor* entry : {&first, &last}) {
        TSyntaxToken token = entry->Token();
        if (entry == &last && last.Token().RStart == first.Token().RStart)
            break; // one entry holds all of the edit
        if (token.IsRange() && MoveRange(token.RStart, token.REnd, S, F, d)) {
            Modified.push_back(token.RStart);
            kept.push_back(token);
        }
    }
    // What no range covers any longer is a gap.
    std::vector<TSyntaxToken> tokens;
    int pos = from;
    auto gapTo = [&](int End) {
        if (End >= pos)
            tokens.push_back(TSyntaxToken{TSyntaxKind::skGap, 0, pos, End});
    };
    for (const TSyntaxToken& token : kept) {
        gapTo(token.RStart - 1);
        tokens.push_back(token);
        pos = token.REnd + 1;
    }
    gapTo(to + d);
    return Replace(from, to, tokens);
}

size_t TSyntaxChain::MemoryBytes() const {
    size_t bytes = FBlocks.capacity() * sizeof(TBlock) + FStarts.CapacityBytes() +
                   FLevels.CapacityBytes() +
                   (FDecoded.capacity() + FEntries.capacity()) * sizeof(TEntry);
    for (const TBlock& block : FBlocks)
        bytes += block.Codes.capacity();
    return bytes;
}

} // namespace sourceedit
