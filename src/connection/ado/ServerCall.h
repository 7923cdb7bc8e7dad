#pragma once
// A call that waits on the server (connecting, or running a statement and reading its rows),
// made so that another thread can run it while the caller's thread stays free, and so that it
// can be stopped from any thread.
//
// Everything the work touches must be its own (captured by value or shared): a caller that gives
// up waiting leaves the call running on its thread until the driver returns.
#include "CrossThreadCancel.h"
#include "FirstRows.h"
#include "OdbcDiagnostics.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <sql.h>
#include <vector>

namespace velmora::ado {

// The error of a call stopped before the driver was asked anything.
inline constexpr const char* cancelledMessage = "Operation cancelled by the user.";

// What a call is doing, for the user to see. Copying is work on rows already read, which ends by
// itself soon after a cancel request and so is never given up.
enum class TServerStage { Connecting, Executing, Fetching, Copying };

// How Cancel reaches a running driver call (see CrossThreadCancel.h).
struct TCancelRoute {
    bool allowed = false;                 // the driver lets another thread stop a call
    SQLHDBC connection = SQL_NULL_HDBC;   // where the driver's statement handles are asked for
    TDriverCancel driverCancel = nullptr; // the driver's own SQLCancel, when it was found
};

class TServerCall {
public:
    using TWork = std::function<void(TServerCall& call)>;

    TServerCall(TServerStage stage, TCancelRoute route, TWork work);
    TServerCall(const TServerCall&) = delete;
    TServerCall& operator=(const TServerCall&) = delete;

    // Runs the work once, on any thread; an error it raises is kept for RethrowError.
    void Run() noexcept;
    bool Finished() const { return finished_.load(std::memory_order_acquire); }

    // Asks the call to stop, from any thread: reading rows stops before the next block, and a
    // driver call made through Cancellable gets the driver's SQLCancel once its thread waits in
    // the driver for the server (see CrossThreadCancel.h). Returns once the cancel has been
    // sent, or the call has finished; so a window calls it from a thread of its own.
    void Cancel();
    bool CancelRequested() const { return cancelRequested_.load(std::memory_order_relaxed); }

    TServerStage Stage() const { return stage_.load(std::memory_order_relaxed); }
    long RowsFetched() const { return rows_.load(std::memory_order_relaxed); }

    // For the work, on its thread.
    void SetStage(TServerStage stage) { stage_.store(stage, std::memory_order_relaxed); }
    void SetRowsFetched(long rows) { rows_.store(rows, std::memory_order_relaxed); }
    // Informational records are kept (the first and last thousand: TDiagnosticCap) and
    // reported by the caller once the call has finished.
    void Report(std::vector<Diagnostic> infos);

    // The first rows of the call's first result, while the rest is being read.
    TFirstRowsOutbox& FirstRows() { return firstRows_; }

    // Makes a driver call on the statement that Cancel stops (where the driver allows it).
    // After a cancel request, raises the error of a cancelled call instead.
    SQLRETURN Cancellable(SQLHSTMT statement, const std::function<SQLRETURN()>& driverCall);

    // Once Finished, on the caller's thread.
    std::vector<Diagnostic> Infos() const { return infos_.records(); }
    void RethrowError() const;

private:
    void setCancelTarget(SQLHSTMT statement);
    // Sends the cancel when the call waits in the driver; false when it does not (yet).
    bool cancelIfWaiting();

    TWork work_;
    const TCancelRoute route_;
    std::atomic<bool> finished_ = false;
    std::atomic<bool> cancelRequested_ = false;
    std::atomic<TServerStage> stage_;
    std::atomic<long> rows_ = 0;
    std::atomic<pid_t> thread_ = 0;          // the thread the work runs on
    std::mutex cancelMutex_;                 // a cancel never meets a statement that is being freed
    SQLHSTMT cancelTarget_ = SQL_NULL_HSTMT; // the driver manager's handle
    SQLHSTMT driverCancelTarget_ = SQL_NULL_HSTMT; // the driver's own
    TDiagnosticCap infos_;
    TFirstRowsOutbox firstRows_;
    std::exception_ptr error_;
};

// Runs a call and returns when it has finished (true), or when the user gave up waiting for it
// (false): the call may then still be running, on a thread of its own.
using TServerCallRunner = std::function<bool(const std::shared_ptr<TServerCall>& call)>;

// The runner without a window: the call runs on the calling thread.
bool runOnCallingThread(const std::shared_ptr<TServerCall>& call);

} // namespace velmora::ado
