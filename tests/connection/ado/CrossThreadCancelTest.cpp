// A cancel goes to the driver only while the call's thread waits for the server: the test of
// that wait must tell a thread blocked on a socket from one that computes.
#include "CrossThreadCancel.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace velmora::ado;

namespace {

// Waits until `thread` is seen in the state, or a few seconds have passed.
TThreadWait settlesAt(pid_t thread, TThreadWait expected) {
    TThreadWait seen = TThreadWait::Unknown;
    for (int attempt = 0; attempt < 500 && seen != expected; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        seen = threadWaitsForInput(thread);
    }
    return seen;
}

} // namespace

TEST(CrossThreadCancel, AThreadBlockedOnASocketWaitsAndOneThatComputesDoesNot) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    std::atomic<pid_t> reader = 0;
    std::thread blocked([&] {
        reader = currentThreadId();
        pollfd ready{pair[0], POLLIN, 0};
        poll(&ready, 1, 10000);
        char byte = 0;
        EXPECT_EQ(read(pair[0], &byte, 1), 1);
    });
    std::atomic<bool> stop = false;
    std::atomic<pid_t> spinner = 0;
    std::thread busy([&] {
        spinner = currentThreadId();
        volatile unsigned long sum = 0;
        while (!stop)
            sum = sum + 1;
    });
    while (reader == 0 || spinner == 0)
        std::this_thread::yield();
    EXPECT_EQ(settlesAt(reader, TThreadWait::Waiting), TThreadWait::Waiting);
    EXPECT_EQ(threadWaitsForInput(spinner), TThreadWait::Working);
    ASSERT_EQ(write(pair[1], "x", 1), 1);
    blocked.join();
    stop = true;
    busy.join();
    close(pair[0]);
    close(pair[1]);
    // A thread that is gone cannot be asked.
    EXPECT_EQ(threadWaitsForInput(reader), TThreadWait::Unknown);
}

TEST(CrossThreadCancel, TheSyscallLineIsReadAsTheKernelWritesIt) {
    EXPECT_EQ(waitOfSyscallLine("running"), TThreadWait::Working);
    EXPECT_EQ(waitOfSyscallLine("-1 0x7ffc 0x55d1"), TThreadWait::Working);
    EXPECT_EQ(waitOfSyscallLine(std::to_string(SYS_futex) + " 0x1 0x2 0x3 0x7ffc 0x7f00"),
              TThreadWait::Working); // a lock, not the server
    EXPECT_EQ(waitOfSyscallLine(""), TThreadWait::Unknown);
    EXPECT_EQ(waitOfSyscallLine("x1"), TThreadWait::Unknown);
}
