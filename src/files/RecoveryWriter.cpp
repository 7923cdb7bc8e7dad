#include "RecoveryWriter.h"

#include <exception>
#include <utility>

namespace velmora::files {

TRecoveryWriter::TRecoveryWriter(TRecoveryFile& File) : FFile(File), FThread([this] { Run(); }) {}

TRecoveryWriter::~TRecoveryWriter() {
    {
        const std::lock_guard lock(FMutex);
        FStopping = true;
    }
    FWork.notify_one();
    FThread.join();
}

void TRecoveryWriter::Write(TTextMaker MakeText) {
    {
        const std::lock_guard lock(FMutex);
        FPendingText = std::move(MakeText);
        FPendingRemove = false;
    }
    FWork.notify_one();
}

void TRecoveryWriter::Remove() {
    {
        const std::lock_guard lock(FMutex);
        FPendingText = nullptr;
        FPendingRemove = true;
    }
    FWork.notify_one();
}

void TRecoveryWriter::Flush() {
    std::unique_lock lock(FMutex);
    FDone.wait(lock, [this] { return !FBusy && !FPendingText && !FPendingRemove; });
}

bool TRecoveryWriter::Idle() const {
    const std::lock_guard lock(FMutex);
    return !FBusy && !FPendingText && !FPendingRemove;
}

std::optional<std::string> TRecoveryWriter::TakeError() {
    const std::lock_guard lock(FMutex);
    return std::exchange(FError, std::nullopt);
}

void TRecoveryWriter::Run() {
    std::unique_lock lock(FMutex);
    for (;;) {
        FWork.wait(lock, [this] { return FStopping || FPendingText || FPendingRemove; });
        if (!FPendingText && !FPendingRemove)
            return; // stopping, with nothing left to do
        TTextMaker text = std::exchange(FPendingText, nullptr);
        const bool remove = std::exchange(FPendingRemove, false);
        FBusy = true;
        lock.unlock();
        std::optional<std::string> error;
        try {
            if (text)
                FFile.Write(text());
            else if (remove)
                FFile.Remove();
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        text = nullptr; // a big script's copy goes back outside the lock
        lock.lock();
        FBusy = false;
        if (error)
            FError = std::move(error);
        FDone.notify_all();
    }
}

} // namespace velmora::files
