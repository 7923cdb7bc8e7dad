#pragma once
// The process's CPU time: the machine is shared, and other programs' load would blur wall-clock
// figures. The engines the benchmarks use run in the process, on any of its threads, so their
// work is counted too.
#include <chrono>
#include <ctime>

namespace velmora::bench {

inline double processCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

// The same as a clock, for std::chrono arithmetic.
struct CpuClock {
    using duration = std::chrono::duration<double>;
    using time_point = std::chrono::time_point<CpuClock, duration>;
    static time_point now() { return time_point(duration(processCpuSeconds())); }
};

} // namespace velmora::bench
