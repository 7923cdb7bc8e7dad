// The data layer against servers that misbehave on purpose (the TDS test server's hostile
// modes): replies with thousands of messages, a value that never ends, a server that stops
// listening. Nothing of it may crash the program, hold it without bound, or leave threads,
// sockets or memory behind.
#include "AdoTestSupport.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <unistd.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

class HostileServer : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
        VELMORA_REQUIRE(std::getenv("VELMORA_TDS_SERVER") != nullptr, "the TDS test server");
    }
};

} // namespace

// Esc while the reply's messages arrive, or while they are being collected, at any moment: the
// call ends (cancelled, or with the messages if it was too late) and the connection goes on.
TEST_F(HostileServer, CancelAtAnyMomentOfAReplyWithThousandsOfMessagesNeverCrashes) {
    TTdsServerProcess server({"--errors", "1500"});
    {
        // The cancel goes around the driver manager, to FreeTDS's own SQLCancel.
        OdbcConnection odbc;
        odbc.connect(tdsOdbcConnectionString(server.Port(), "master"), 15);
        EXPECT_NE(driverCancelOf(odbc.handle()), nullptr);
        const auto statement = odbc.createStatement();
        EXPECT_NE(driverStatementOf(odbc.handle(), statement->handle()), nullptr);
    }
    TADOConnection connection;
    connection.SetConnectionString(tdsConnectionString(server.Port()));
    connection.Open();
    const auto started = std::chrono::steady_clock::now();
    const std::string whole = errorOf([&] { connection.Execute("select 1"); });
    const auto length = std::chrono::steady_clock::now() - started;
    ASSERT_NE(whole.find("Error 1500 of 1500."), std::string::npos) << whole.substr(0, 200);
    std::mt19937 random(20261209);
    std::uniform_int_distribution<long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(length).count());
    int cancelled = 0;
    for (int run = 0; run < 120; ++run) {
        const auto cancelAt = std::chrono::microseconds(moment(random));
        connection.SetCallRunner(ThreadedCallRunner([&](const TServerCall&, auto elapsed) {
            return elapsed >= cancelAt ? ThreadedCallRunner::Action::Cancel
                                       : ThreadedCallRunner::Action::Wait;
        }));
        const std::string error = errorOf([&] { connection.Execute("select 1"); });
        if (error != whole) {
            ++cancelled;
            EXPECT_NE(error.find("cancel"), std::string::npos) << "run " << run << ": " << error;
        }
        ASSERT_TRUE(connection.Connected()) << "run " << run;
        // Nothing of the cancel is left over for the next statement, whatever its timing.
        connection.SetCallRunner(runOnCallingThread);
        EXPECT_EQ(errorOf([&] { connection.Execute("set nocount on"); }), "no error");
    }
    EXPECT_GT(cancelled, 0);
}

namespace {

// What the process holds: its threads, its descriptors and its resident memory.
struct Holdings {
    size_t threads = 0;
    size_t descriptors = 0;
    size_t residentBytes = 0;
};

size_t entriesIn(const char* folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

Holdings holdings() {
    size_t pages = 0;
    size_t resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return {entriesIn("/proc/self/task"), entriesIn("/proc/self/fd"),
            resident * static_cast<size_t>(sysconf(_SC_PAGESIZE))};
}

// Waits for the abandoned calls' threads to end: an attempt given up after it began but before
// its driver opened its socket (the window thread gave up within milliseconds) ends at its
// login timeout.
Holdings settledHoldings(size_t threads) {
    Holdings now = holdings();
    const int attempts = (defaultConnectTimeoutSeconds + 5) * 20;
    for (int attempt = 0; attempt < attempts && now.threads > threads; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        now = holdings();
    }
    return now;
}

// Gives every call up once it has run for `after`, without a cancel.
ThreadedCallRunner givingUpAfter(std::chrono::milliseconds after) {
    return ThreadedCallRunner([after](const TServerCall&, auto elapsed) {
        return elapsed >= after ? ThreadedCallRunner::Action::GiveUp
                                : ThreadedCallRunner::Action::Wait;
    });
}

} // namespace

// A call that is given up ends for real: its socket is cut, so the driver's read returns, its
// thread ends and its memory goes, however often it happens.
TEST_F(HostileServer, AThousandGiveUpsLeaveNoThreadsSocketsOrMemoryBehind) {
    TTdsServerProcess endless({"--endless-value"});
    TTdsServerProcess stalled({"--stall"});
    // The first connection loads the driver and its libraries, which stay.
    {
        TADOConnection warmUp;
        warmUp.SetConnectionString(tdsConnectionString(endless.Port()));
        warmUp.Open();
    }
    const Holdings before = holdings();
    TADOConnection connection;
    for (int run = 0; run < 1000; ++run) {
        if (run % 2 == 0) {
            connection.SetCallRunner(runOnCallingThread);
            connection.SetConnectionString(tdsConnectionString(endless.Port()));
            connection.Open();
            connection.SetCallRunner(givingUpAfter(std::chrono::milliseconds(10)));
            const std::string error = errorOf([&] { connection.Execute("select endless"); });
            ASSERT_NE(error.find("cut off"), std::string::npos) << "run " << run << ": " << error;
        } else {
            connection.SetCallRunner(givingUpAfter(std::chrono::milliseconds(20)));
            connection.SetConnectionString(tdsConnectionString(stalled.Port()));
            ASSERT_EQ(errorOf([&] { connection.Open(); }), "The connection attempt was cancelled.");
        }
        ASSERT_FALSE(connection.Connected());
    }
    const Holdings after = settledHoldings(before.threads);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_LE(after.descriptors, before.descriptors + 2);
    // Each endless value had reached megabytes when it was given up.
    EXPECT_LT(after.residentBytes, before.residentBytes + (64u << 20));
}

// A connection attempt given up before its call even began never begins: its thread does not
// wait out the login timeout on a server that never answers.
TEST_F(HostileServer, AConnectionGivenUpBeforeItBeganNeverBegins) {
    TTdsServerProcess stalled({"--stall"});
    TADOConnection connection;
    connection.SetConnectionString(tdsConnectionString(stalled.Port()) + ";Connect Timeout=60");
    std::shared_ptr<TServerCall> late;
    std::thread runner;
    connection.SetCallRunner([&](const std::shared_ptr<TServerCall>& call) {
        late = call;
        // Runs once the connection has given it up and cut it off.
        runner = std::thread([call] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            call->Run();
        });
        return false;
    });
    EXPECT_EQ(errorOf([&] { connection.Open(); }), "The connection attempt was cancelled.");
    for (int wait = 0; wait < 200 && !late->Finished(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(late->Finished()) << "the abandoned attempt still waits for the server";
    runner.join();
}

// Esc during a value that never ends: the driver's read is stopped, the server ends the value,
// and the connection goes on.
TEST_F(HostileServer, CancelStopsAValueThatNeverEnds) {
    TTdsServerProcess endless({"--endless-value"});
    TADOConnection connection;
    connection.SetConnectionString(tdsConnectionString(endless.Port()));
    connection.Open();
    connection.SetCallRunner(ThreadedCallRunner([](const TServerCall&, auto elapsed) {
        if (elapsed > std::chrono::seconds(20))
            return ThreadedCallRunner::Action::GiveUp;
        return elapsed > std::chrono::milliseconds(100) ? ThreadedCallRunner::Action::Cancel
                                                        : ThreadedCallRunner::Action::Wait;
    }));
    TRecordset cut;
    EXPECT_EQ(errorOf([&] { cut = connection.Execute("select endless"); }), "no error");
    EXPECT_TRUE(cut.fetchCancelled);
    EXPECT_EQ(cut.rows.rowCount(), 0u); // the row that was cut short is not kept
    ASSERT_TRUE(connection.Connected());
    EXPECT_EQ(errorOf([&] { connection.Execute("set nocount on"); }), "no error");
}

// A server that no longer reads its socket never confirms a cancel: the call is given up, its
// connection cut off, and the server ends the session, rolling its transaction back.
TEST_F(HostileServer, AGivenUpCallEndsTheSessionAndItsTransactionOnTheServer) {
    TTdsServerProcess deaf({"--deaf-rows"});
    TADOConnection connection;
    connection.SetConnectionString(tdsConnectionString(deaf.Port(), "sa", tdsSaPassword, "sample"));
    connection.Open();
    connection.Execute("create table given_up (x int)");
    connection.BeginTrans();
    connection.Execute("insert into given_up values (1)");
    connection.SetCallRunner(ThreadedCallRunner([](const TServerCall&, auto elapsed) {
        if (elapsed > std::chrono::milliseconds(1500))
            return ThreadedCallRunner::Action::GiveUp;
        return elapsed > std::chrono::milliseconds(100) ? ThreadedCallRunner::Action::Cancel
                                                        : ThreadedCallRunner::Action::Wait;
    }));
    EXPECT_EQ(errorOf([&] { connection.Execute("select rows"); }),
              "The server did not answer the cancel request; the connection to it was cut off, "
              "so the server ends the session and rolls back what was not committed.");
    EXPECT_FALSE(connection.Connected());

    TADOConnection other;
    other.SetConnectionString(tdsConnectionString(deaf.Port(), "sa", tdsSaPassword, "sample"));
    other.Open();
    std::vector<std::string> infos;
    other.OnInfoMessage = [&](TADOConnection&, const TADOError& info) {
        infos.push_back(info.Description);
    };
    // The given-up session's write lock is gone once the server has let the session go.
    std::string inserted;
    for (int attempt = 0; attempt < 50; ++attempt) {
        inserted = errorOf([&] { other.Execute("insert into given_up values (2)"); });
        if (inserted == "no error")
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(inserted, "no error");
    other.Execute("declare @n int; set @n = (select count(*) from given_up); print @n");
    EXPECT_EQ(infos, (std::vector<std::string>{"1"})); // the uncommitted row was rolled back
}

// A reply of thousands of messages: the first and the last thousand are kept for the user, with
// the number of the rest between them, for infos as for errors.
TEST_F(HostileServer, OfThousandsOfMessagesTheFirstAndLastThousandAreKept) {
    TTdsServerProcess infos({"--infos", "5000"});
    TADOConnection connection;
    connection.SetConnectionString(tdsConnectionString(infos.Port()));
    connection.Open();
    std::vector<std::string> reported;
    connection.OnInfoMessage = [&](TADOConnection&, const TADOError& info) {
        reported.push_back(info.Description);
    };
    connection.Execute("select 1");
    ASSERT_EQ(reported.size(), 2001u);
    EXPECT_EQ(reported[0], "Message 1 of 5000.");
    EXPECT_EQ(reported[999], "Message 1000 of 5000.");
    EXPECT_EQ(reported[1000], "(3000 more messages)");
    EXPECT_EQ(reported[1001], "Message 4001 of 5000.");
    EXPECT_EQ(reported[2000], "Message 5000 of 5000.");

    TTdsServerProcess errors({"--errors", "2500"});
    connection.OnInfoMessage = nullptr;
    connection.Close();
    connection.SetConnectionString(tdsConnectionString(errors.Port()));
    connection.Open();
    const std::string error = errorOf([&] { connection.Execute("select 1"); });
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 2000);
    EXPECT_EQ(error.substr(0, error.find('\n')), "Error 1 of 2500.");
    EXPECT_NE(error.find("\nError 1000 of 2500.\n(500 more messages)\nError 1501 of 2500.\n"),
              std::string::npos);
    EXPECT_EQ(error.substr(error.rfind('\n') + 1), "Error 2500 of 2500.");
}
