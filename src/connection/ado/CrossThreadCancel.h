#pragma once
// Stopping a driver call from another thread without racing the driver manager.
//
// unixODBC keeps its own records of a statement (its state, and the diagnostic records it copies
// from the driver when a call returns) and touches them in SQLCancel without a lock, while the
// running call's thread touches them too; a driver's own SQLCancel, called while the running call
// is no longer inside the driver, takes the path meant for a call on the same thread and frees
// diagnostic records the driver manager is copying. Either way the program crashed when Cancel
// met a reply of thousands of messages. So a cancel goes to the driver's own SQLCancel, with the
// driver's own statement handle (the driver manager is not involved), and only while the call's
// thread waits inside the driver for the server (in poll, select, read and the like): the one
// moment a cancel can do anything, and the one the drivers handle from another thread.
#include <sql.h>
#include <string>
#include <sys/types.h>

namespace velmora::ado {

// The driver's own SQLCancel.
using TDriverCancel = SQLRETURN (*)(SQLHSTMT statement);

// The SQLCancel of the driver library a connection uses (as SQL_DRIVER_NAME names it), found
// among the libraries the process has loaded; null when it cannot be found.
TDriverCancel driverCancelOf(SQLHDBC connection);

// The driver's handle of a driver manager's statement (SQL_DRIVER_HSTMT); null when the driver
// manager does not tell.
SQLHSTMT driverStatementOf(SQLHDBC connection, SQLHSTMT statement);

// The calling thread, as the kernel names it.
pid_t currentThreadId();

enum class TThreadWait { Waiting, Working, Unknown };
// Whether thread `thread` of this process is blocked in a system call that waits for input
// (poll, select, epoll, read, recv and their kin), as /proc tells; Unknown where it cannot.
TThreadWait threadWaitsForInput(pid_t thread);
// The same for the first token of /proc/<pid>/task/<tid>/syscall.
TThreadWait waitOfSyscallLine(const std::string& line);

} // namespace velmora::ado
