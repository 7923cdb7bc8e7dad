#include "ServerCall.h"

#include <sqlext.h>

namespace velmora::ado {

TServerCall::TServerCall(TServerStage stage, bool driverCancels, TWork work)
    : work_(std::move(work)), driverCancels_(driverCancels), stage_(stage) {}

void TServerCall::Run() noexcept {
    try {
        work_(*this);
    } catch (...) {
        error_ = std::current_exception();
    }
    finished_.store(true, std::memory_order_release);
}

void TServerCall::Cancel() {
    cancelRequested_.store(true, std::memory_order_relaxed);
    const std::lock_guard lock(cancelMutex_);
    if (cancelTarget_ != SQL_NULL_HSTMT)
        SQLCancel(cancelTarget_);
}

void TServerCall::Report(const std::vector<Diagnostic>& infos) {
    infos_.insert(infos_.end(), infos.begin(), infos.end());
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
    const std::lock_guard lock(cancelMutex_);
    if (statement != SQL_NULL_HSTMT && CancelRequested())
        throw EDatabaseError(cancelledMessage);
    cancelTarget_ = driverCancels_ ? statement : SQL_NULL_HSTMT;
}

bool runOnCallingThread(const std::shared_ptr<TServerCall>& call) {
    call->Run();
    return true;
}

} // namespace velmora::ado
