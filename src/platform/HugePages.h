#pragma once
// Buffers of many megabytes (a script's text) are filled right after they are made, and setting
// fresh memory up 4 KB at a time costs more than filling it. Asking for huge pages lets the system
// set it up 2 MB at a time. Only a hint: where it is not taken, nothing changes but the speed.
#include <cstddef>
#include <cstdint>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace velmora {

inline constexpr std::size_t HugePageBytes = 2 * 1024 * 1024;

// Asks for huge pages for the whole 2 MB pages within the Bytes at Data.
inline void AdviseHugePages(const void* Data, std::size_t Bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t HugePage = HugePageBytes;
    const auto start = reinterpret_cast<std::uintptr_t>(Data);
    const std::uintptr_t first = (start + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t end = (start + Bytes) & ~(HugePage - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)Data;
    (void)Bytes;
#endif
}

} // namespace velmora
