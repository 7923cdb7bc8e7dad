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

TServerCall::TCancelTarget::TCancelTarget(TServerCall& call, SQLHSTMT statement) : call_(call) {
    const std::lock_guard lock(call_.cancelMutex_);
    if (call_.CancelRequested())
        throw EDatabaseError(cancelledMessage);
    if (call_.driverCancels_)
        call_.cancelTarget_ = statement;
}

TServerCall::TCancelTarget::~TCancelTarget() {
    const std::lock_guard lock(call_.cancelMutex_);
    call_.cancelTarget_ = SQL_NULL_HSTMT;
}

bool runOnCallingThread(const std::shared_ptr<TServerCall>& call) {
    call->Run();
    return true;
}

} // namespace velmora::ado
