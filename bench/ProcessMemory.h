#pragma once
// The process's memory as Linux tells it: resident now, and the peak since the last reset (so
// that each phase of a benchmark has a peak of its own).
#include <cstddef>
#include <fstream>
#include <string>

namespace velmora::bench {

// A figure of /proc/self/status ("VmRSS:", "VmHWM:") in bytes.
inline size_t statusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == key) {
            size_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    return 0;
}

inline size_t residentBytes() {
    return statusBytes("VmRSS:");
}

inline size_t peakMemoryBytes() {
    return statusBytes("VmHWM:");
}

// Starts the peak afresh: writing 5 to clear_refs resets it to what is resident now.
inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace velmora::bench
