#include "CrossThreadCancel.h"

#include "WideText.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <link.h>
#include <sqlext.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace velmora::ado {

namespace {

struct LibrarySearch {
    std::string fileName;
    std::string path;
};

int matchLibrary(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<LibrarySearch*>(data);
    if (info->dlpi_name == nullptr || info->dlpi_name[0] == '\0')
        return 0;
    const std::filesystem::path loaded(info->dlpi_name);
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(loaded, error);
    if (loaded.filename() == search->fileName || (!error && real.filename() == search->fileName)) {
        search->path = info->dlpi_name;
        return 1;
    }
    return 0;
}

// The system calls in which a thread waits for a socket, a pipe or a terminal.
bool isWaitingCall(long number) {
    switch (number) {
#ifdef SYS_poll
    case SYS_poll:
#endif
#ifdef SYS_select
    case SYS_select:
#endif
#ifdef SYS_epoll_wait
    case SYS_epoll_wait:
#endif
#ifdef SYS_epoll_pwait2
    case SYS_epoll_pwait2:
#endif
#ifdef SYS_recvmmsg
    case SYS_recvmmsg:
#endif
    case SYS_ppoll:
    case SYS_pselect6:
    case SYS_epoll_pwait:
    case SYS_read:
    case SYS_readv:
    case SYS_recvfrom:
    case SYS_recvmsg:
        return true;
    default:
        return false;
    }
}

} // namespace

TDriverCancel driverCancelOf(SQLHDBC connection) {
    SQLWCHAR name[512] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DRIVER_NAME, name, sizeof name, &length)))
        return nullptr;
    LibrarySearch search{
        std::filesystem::path(fromSqlWide(name, static_cast<size_t>(length) / sizeof(SQLWCHAR)))
            .filename()
            .string(),
        {}};
    if (search.fileName.empty() || dl_iterate_phdr(matchLibrary, &search) == 0)
        return nullptr;
    // Already loaded by the driver manager: this only takes another reference, dropped at once.
    void* library = dlopen(search.path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_LOCAL);
    if (library == nullptr)
        return nullptr;
    auto* cancel = reinterpret_cast<TDriverCancel>(dlsym(library, "SQLCancel"));
    dlclose(library);
    // The driver manager's own would be no way around it.
    if (cancel == reinterpret_cast<TDriverCancel>(&::SQLCancel))
        return nullptr;
    return cancel;
}

SQLHSTMT driverStatementOf(SQLHDBC connection, SQLHSTMT statement) {
    SQLHANDLE handle = statement;
    if (!SQL_SUCCEEDED(
            SQLGetInfoW(connection, SQL_DRIVER_HSTMT, &handle, sizeof handle, nullptr)) ||
        handle == statement)
        return SQL_NULL_HSTMT;
    return handle;
}

pid_t currentThreadId() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

TThreadWait waitOfSyscallLine(const std::string& line) {
    const size_t end = line.find(' ');
    const std::string first = line.substr(0, end);
    if (first == "running")
        return TThreadWait::Working;
    char* rest = nullptr;
    const long number = std::strtol(first.c_str(), &rest, 10);
    if (first.empty() || rest == nullptr || *rest != '\0')
        return TThreadWait::Unknown;
    if (number < 0)
        return TThreadWait::Working; // blocked outside a system call
    return isWaitingCall(number) ? TThreadWait::Waiting : TThreadWait::Working;
}

TThreadWait threadWaitsForInput(pid_t thread) {
    std::ifstream file("/proc/self/task/" + std::to_string(thread) + "/syscall");
    std::string line;
    if (!std::getline(file, line))
        return TThreadWait::Unknown;
    return waitOfSyscallLine(line);
}

} // namespace velmora::ado
