#include "ServerWorker.h"

#include <stdexcept>

namespace velmora::ado {

TServerWorker::TServerWorker()
    : queue_(std::make_shared<TQueue>()), thread_([queue = queue_] { queue->Serve(); }) {}

TServerWorker::~TServerWorker() {
    bool running = false;
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->stopping = true;
        running = queue_->running;
    }
    queue_->changed.notify_all();
    if (running)
        thread_.detach(); // it owns its queue, and ends once its job returns
    else
        thread_.join();
}

void TServerWorker::Start(std::function<void()> job) {
    {
        const std::lock_guard lock(queue_->mutex);
        if (queue_->running)
            throw std::logic_error("The server worker is still running a job.");
        queue_->job = std::move(job);
        queue_->running = true;
    }
    queue_->changed.notify_all();
}

void TServerWorker::WaitIdle() {
    std::unique_lock lock(queue_->mutex);
    queue_->changed.wait(lock, [this] { return !queue_->running; });
}

void TServerWorker::TQueue::Serve() {
    std::unique_lock lock(mutex);
    while (true) {
        changed.wait(lock, [this] { return running || stopping; });
        if (!running)
            return;
        std::function<void()> current = std::move(job);
        job = nullptr;
        lock.unlock();
        current();
        current = nullptr; // its captures go before the caller is told the job has ended
        lock.lock();
        running = false;
        changed.notify_all();
        if (stopping)
            return;
    }
}

} // namespace velmora::ado
