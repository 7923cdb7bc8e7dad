#pragma once
// One thread that runs server calls for a waiting caller, one after another.
//
// A thread of its own per call would cost more than its start: glibc gives each thread an
// allocator arena, and with a fresh thread per call a large fetch's memory went back to the
// kernel between calls and was faulted in again (some 40 % more page faults than the same fetch
// on the calling thread, and several per cent more CPU time). Reused, the thread keeps its arena
// and pages warm.
//
// A call that is given up (the driver never returns) keeps its thread: the worker is then let
// go, and ends by itself once the driver returns.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace velmora::ado {

class TServerWorker {
public:
    TServerWorker();
    // Waits for the thread to end when it is idle; lets it go when a job still runs.
    ~TServerWorker();
    TServerWorker(const TServerWorker&) = delete;
    TServerWorker& operator=(const TServerWorker&) = delete;

    // Starts the job on the worker's thread; the worker must be idle.
    void Start(std::function<void()> job);
    // Returns once the job has returned and what it captured is gone, as a join would.
    void WaitIdle();

private:
    // Shared with the thread, which may outlive the worker.
    struct TQueue {
        std::mutex mutex;
        std::condition_variable changed;
        std::function<void()> job;
        bool running = false;
        bool stopping = false;

        void Serve();
    };

    std::shared_ptr<TQueue> queue_;
    std::thread thread_;
};

} // namespace velmora::ado
