// The data layer against servers that misbehave on purpose (the TDS test server's hostile
// modes): replies with thousands of messages, a value that never ends, a server that stops
// listening. Nothing of it may crash the program, hold it without bound, or leave threads,
// sockets or memory behind.
#include "AdoTestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>

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
    TTdsServerProcess server({"--errors", "2000"});
    TADOConnection connection;
    connection.SetConnectionString(tdsConnectionString(server.Port()));
    connection.Open();
    const auto started = std::chrono::steady_clock::now();
    const std::string whole = errorOf([&] { connection.Execute("select 1"); });
    const auto length = std::chrono::steady_clock::now() - started;
    ASSERT_NE(whole.find("Error 2000 of 2000."), std::string::npos) << whole.substr(0, 200);
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
        EXPECT_EQ(errorOf([&] { connection.Execute("set nocount on"); }), "no error");
    }
    EXPECT_GT(cancelled, 0);
}
