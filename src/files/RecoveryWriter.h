#pragma once
// Writes a recovery file on a thread of its own, so that the window never waits for the disk.
// Only the newest state counts: a text handed over while a write runs waits for it and replaces
// any older text still waiting; a removal drops a text still waiting.
#include "RecoveryFiles.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace velmora::files {

class TRecoveryWriter {
public:
    explicit TRecoveryWriter(TRecoveryFile& File);
    // Finishes what was handed over, then stops.
    ~TRecoveryWriter();
    TRecoveryWriter(const TRecoveryWriter&) = delete;
    TRecoveryWriter& operator=(const TRecoveryWriter&) = delete;

    // MakeText gives the text; it is called on the writer's thread, so that the window only pays
    // for the quickest copy of a long script.
    using TTextMaker = std::function<std::u32string()>;
    void Write(TTextMaker MakeText);
    void Remove();
    // Waits until everything handed over is done; the file is then the writer's no longer, until
    // the next Write or Remove.
    void Flush();
    // Nothing waiting and nothing being written.
    bool Idle() const;
    // The reason the last write or removal failed, once; nullopt when none failed since.
    std::optional<std::string> TakeError();

private:
    void Run();

    TRecoveryFile& FFile;
    mutable std::mutex FMutex;
    std::condition_variable FWork;
    std::condition_variable FDone;
    TTextMaker FPendingText;
    bool FPendingRemove = false;
    bool FBusy = false;
    bool FStopping = false;
    std::optional<std::string> FError;
    std::thread FThread; // last: it starts once everything above is there
};

} // namespace velmora::files
