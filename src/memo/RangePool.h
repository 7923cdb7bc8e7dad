#pragma once
// Allocation for range objects without the general allocator's per-object header: a script with
// millions of lexical ranges pays only for the objects themselves. Like the editor, the pool
// belongs to one thread.
#include <cstddef>

namespace memo {

class TRangePool {
public:
    static void* Allocate(std::size_t Size);
    static void Release(void* Block, std::size_t Size) noexcept;
};

} // namespace memo
