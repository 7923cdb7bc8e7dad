#include "ServerCall.h"

#include <chrono>
#include <sqlext.h>
#include <thread>

namespace velmora::ado {

namespace {

// How often Cancel looks whether the call has reached its wait for the server.
constexpr auto cancelPollInterval = std::chrono::milliseconds(5);

} // namespace

TServerCall::TServerCall(TServerStage stage, TCancelRoute route, TWork work)
    : work_(std::move(work)), route_(route), stage_(stage) {}

void TServerCall::Run() noexcept {
    thread_.store(currentThreadId(), std::memory_order_release);
    try {
        work_(*this);
    } catch (...) {
        error_ = std::current_exception();
    }
    finished_.store(true, std::memory_order_release);
}

void TServerCall::Cancel() {
    cancelRequested_.store(true, std::memory_order_relaxed);
    if (!route_.allowed)
        return;
    // Between driver calls the request itself stops the work; inside one, the cancel waits for
    // the moment the driver waits for the server. A call that computes (the driver manager
    // copying thousands of messages) has nothing a cancel could stop.
    while (!Finished() && !cancelIfWaiting())
        std::this_thread::sleep_for(cancelPollInterval);
}

bool TServerCall::cancelIfWaiting() {
    const std::lock_guard lock(cancelMutex_);
    if (cancelTarget_ == SQL_NULL_HSTMT)
        return false;
    const TThreadWait wait = threadWaitsForInput(thread_.load(std::memory_order_acquire));
    if (wait == TThreadWait::Working)
        return false;
    if (route_.driverCancel != nullptr && driverCancelTarget_ != SQL_NULL_HSTMT)
        route_.driverCancel(driverCancelTarget_);
    else
        SQLCancel(cancelTarget_);
    return true;
}

void TServerCall::Report(std::vector<Diagnostic> infos) {
    infos_.add(std::move(infos));
}

void TServerCall::RethrowError() const {
    if (error_)
        std::rethrow_exception(error_);
}

SQLRETURN TServerCall::Cancellable(SQLHSTMT statement,
                                   const std::function<SQLRETURN()>& driverCall) {
    setCancelTarget(statement);
    const SQLRETURN result = driverCall();
    setCancelTarget(SQL_NULL_HSTMT);
    return result;
}

void TServerCall::setCancelTarget(SQLHSTMT statement) {
    // Asked before the lock: the driver manager's answer needs no protection.
    const SQLHSTMT driverStatement =
        statement != SQL_NULL_HSTMT && route_.allowed && route_.driverCancel != nullptr
            ? driverStatementOf(route_.connection, statement)
            : SQL_NULL_HSTMT;
    const std::lock_guard lock(cancelMutex_);
    if (statement != SQL_NULL_HSTMT && CancelRequested())
        throw EDatabaseError(cancelledMessage);
    cancelTarget_ = route_.allowed ? statement : SQL_NULL_HSTMT;
    driverCancelTarget_ = cancelTarget_ != SQL_NULL_HSTMT ? driverStatement : SQL_NULL_HSTMT;
}

bool runOnCallingThread(const std::shared_ptr<TServerCall>& call) {
    call->Run();
    return true;
}

} // namespace velmora::ado
