#include "RangePool.h"

#include <array>
#include <memory>
#include <new>
#include <vector>

namespace memo {

namespace {

constexpr std::size_t Granule = 8;
constexpr std::size_t LargestPooled = 256;
constexpr std::size_t SlabBytes = 64 * 1024;

struct FreeBlock {
    FreeBlock* Next;
};

// One free list per size class; slabs are kept for reuse and never returned.
class Pools {
public:
    void* Allocate(std::size_t Size) {
        auto cls = ClassOf(Size);
        FreeBlock*& head = FFree[cls];
        if (head == nullptr)
            Refill(cls);
        FreeBlock* block = head;
        head = block->Next;
        return block;
    }
    void Release(void* Block, std::size_t Size) noexcept {
        auto cls = ClassOf(Size);
        auto* block = static_cast<FreeBlock*>(Block);
        block->Next = FFree[cls];
        FFree[cls] = block;
    }

private:
    static std::size_t ClassOf(std::size_t Size) { return (Size + Granule - 1) / Granule; }

    void Refill(std::size_t Cls) {
        std::size_t blockBytes = Cls * Granule;
        FSlabs.push_back(std::make_unique<std::byte[]>(SlabBytes));
        std::byte* slab = FSlabs.back().get();
        for (std::size_t offset = 0; offset + blockBytes <= SlabBytes; offset += blockBytes)
            Release(slab + offset, blockBytes);
    }

    std::array<FreeBlock*, LargestPooled / Granule + 1> FFree{};
    std::vector<std::unique_ptr<std::byte[]>> FSlabs;
};

Pools& ThePools() {
    static auto* pools = new Pools(); // outlives every range, also those freed at exit
    return *pools;
}

} // namespace

// Under the address sanitizer every range gets its own block, so that a range used after it was
// freed is caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Pooling = false;
#else
constexpr bool Pooling = true;
#endif

void* TRangePool::Allocate(std::size_t Size) {
    if (!Pooling || Size > LargestPooled)
        return ::operator new(Size);
    return ThePools().Allocate(Size);
}

void TRangePool::Release(void* Block, std::size_t Size) noexcept {
    if (Block == nullptr)
        return;
    if (!Pooling || Size > LargestPooled)
        ::operator delete(Block);
    else
        ThePools().Release(Block, Size);
}

} // namespace memo
