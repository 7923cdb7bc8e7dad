// A cancel (attention) in the middle of a result and during WAITFOR: the interrupted reply ends,
// the acknowledgement comes as the message after it, and the connection goes on; for FreeTDS
// and tedious, plain and encrypted, at the oldest and newest TDS versions.
#include "ProtocolClients.h"

#include <chrono>
#include <thread>

using namespace velmora::test;
namespace ado = velmora::ado;

namespace {

using Attention = ProtocolTest;

// A million rows, made as they are read: cancelled long before the end.
const char* const Endless = "select a.n * 1000 + b.n from numbers a, numbers b";
const char* const Waiting = "waitfor delay '00:01:00'";
const char* const Count = "select count(*) from numbers";

// The lines of a result without its columns' description.
Lines rowsOf(Lines lines) {
    std::erase_if(lines, [](const std::string& line) { return line.rfind("columns", 0) == 0; });
    return lines;
}

} // namespace

TEST_F(Attention, FreeTdsCancelsAResultAndAWaitAndGoesOn) {
    TTdsServerProcess server;
    for (const auto& [version, encryption] : std::vector<std::pair<std::string, std::string>>{
             {"7.1", "off"}, {"7.4", "off"}, {"7.1", "require"}, {"7.4", "require"}}) {
        SCOPED_TRACE(version + " encryption " + encryption);
        TFreeTdsProbe client;
        ASSERT_EQ(
            client.Connect(freeTdsString(server.Port(), version, "Encryption=" + encryption + ";")),
            Lines{"connected"});
        const SQLHSTMT statement = client.Statement();

        const ado::SqlWString endless = ado::toSqlWide(Endless);
        ASSERT_TRUE(SQL_SUCCEEDED(
            SQLExecDirectW(statement, const_cast<SQLWCHAR*>(endless.c_str()), SQL_NTS)));
        for (int row = 0; row < 100; ++row)
            ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(statement)));
        EXPECT_TRUE(SQL_SUCCEEDED(SQLCancel(statement)));
        EXPECT_EQ(rowsOf(client.Run(Count, true)), (Lines{"row 1000", "rows 1"}));

        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            SQLCancel(statement);
        });
        const auto started = std::chrono::steady_clock::now();
        const Lines waited = client.Run(Waiting);
        canceller.join();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
        ASSERT_FALSE(waited.empty());
        EXPECT_NE(waited[0].find("cancel"), std::string::npos) << waited[0];
        EXPECT_EQ(rowsOf(client.Run(Count, true)), (Lines{"row 1000", "rows 1"}));
    }
}

TEST_F(Attention, TediousCancelsAResultAndAWaitAndGoesOn) {
    TTdsServerProcess server;
    for (const auto& [version, encrypt] :
         std::vector<std::pair<std::string, bool>>{{"7_1", false}, {"7_4", false}, {"7_4", true}}) {
        SCOPED_TRACE(version + (encrypt ? " encrypted" : " plain"));
        TTediousPlan plan = PlanFor(server);
        plan.TdsVersion = version;
        plan.Encrypt = encrypt;
        plan.Steps = {TTediousStep::CancelledAfterRows(Endless, 100), TTediousStep::Shown(Count),
                      TTediousStep::CancelledAfterMs(Waiting, 300), TTediousStep::Shown(Count)};
        Lines lines = rowsOf(runTedious(plan));
        // Rows already on their way when the cancel left still arrive.
        ASSERT_GE(lines.size(), 2u);
        const std::string cancelled = lines[1];
        EXPECT_EQ(cancelled.rfind("canceled after ", 0), 0u) << cancelled;
        lines[1] = "canceled";
        EXPECT_EQ(lines, (Lines{"connected " + version, "canceled", "row 1000", "rows 1",
                                "canceled after 0 rows", "row 1000", "rows 1"}));
    }
}
