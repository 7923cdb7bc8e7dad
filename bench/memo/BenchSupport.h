#pragma once
// Timing, memory and the generated script shared by the editor benchmarks.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>
#include <time.h>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Microseconds(Clock::duration D) {
    return std::chrono::duration<double, std::micro>(D).count();
}

// The processor time this thread has used: unlike the wall clock, it leaves out the time the
// shared machine gave to other processes.
inline double ThreadMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

inline double PercentileOf(std::vector<double> Values, double P) {
    if (Values.empty())
        return 0;
    std::sort(Values.begin(), Values.end());
    auto index = static_cast<size_t>(P / 100.0 * static_cast<double>(Values.size() - 1) + 0.5);
    return Values[std::min(index, Values.size() - 1)];
}

// Per-operation times in microseconds, by the wall clock and by the thread's processor time.
class Samples {
public:
    template <class Fn>
    void Time(Fn&& Operation) {
        double cpuStart = ThreadMicroseconds();
        auto start = Clock::now();
        Operation();
        FWall.push_back(Microseconds(Clock::now() - start));
        FCpu.push_back(ThreadMicroseconds() - cpuStart);
    }
    void Append(const Samples& Other) {
        FWall.insert(FWall.end(), Other.FWall.begin(), Other.FWall.end());
        FCpu.insert(FCpu.end(), Other.FCpu.begin(), Other.FCpu.end());
    }
    void Print(const char* Name) const {
        std::printf("  %-52s median %9.3f us  p99 %9.3f us  (processor: median %9.3f, p99 %9.3f)"
                    "  %zu ops\n",
                    Name, PercentileOf(FWall, 50), PercentileOf(FWall, 99), PercentileOf(FCpu, 50),
                    PercentileOf(FCpu, 99), FWall.size());
    }

private:
    std::vector<double> FWall;
    std::vector<double> FCpu;
};

// Bytes the allocator hands out right now.
inline size_t HeapInUse() {
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

// Peak resident memory of the process so far, in MiB.
inline double PeakResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// A 10 MB, 200,000-line SQL script with CR LF line breaks, the same on every run.
inline std::u32string GenerateScript(int Lines = 200000) {
    // 48 characters on average, so that with CR LF 200,000 lines make 10 MB.
    static const char* const templates[] = {
        "select o.order_id, o.customer_id, sum(l.amount) ",
        "  from dbo.orders o join dbo.lines l on l.id = o.id",
        " where o.created_at >= '2024-01-01' -- open ones",
        " group by o.order_id having count(*) > 3 -- 5",
        "update dbo.stock set qty = qty - 1 where id = 42;",
        "\tinsert into dbo.audit values (@user, getdate())",
        "/* nightly clean-up */ truncate table stg.orders",
        "exec dbo.usp_rebuild_statistics @table = N'ord';",
    };
    std::u32string script;
    script.reserve(static_cast<size_t>(Lines) * 52);
    unsigned state = 12345;
    for (int i = 0; i < Lines; ++i) {
        state = state * 1103515245u + 12345u;
        const char* line = templates[(state >> 16) % std::size(templates)];
        for (const char* c = line; *c != '\0'; ++c)
            script += static_cast<char32_t>(*c);
        script += U"\r\n";
    }
    return script;
}

// What a user types: SQL text with a line break now and then (Enter gives CR LF).
inline std::u32string Keystroke(int I) {
    static const std::u32string typed = U"select name, value from dbo.settings where id = 7;\r";
    char32_t c = typed[static_cast<size_t>(I) % typed.size()];
    return c == U'\r' ? std::u32string(U"\r\n") : std::u32string(1, c);
}

} // namespace bench
