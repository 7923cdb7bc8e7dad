// The TDS version a client asks for is the one the server answers in: LOGINACK agrees to it,
// and every token is framed as that version frames it (2-byte line numbers and 4-byte counts
// before 7.2, the max types as text before 7.2, the date and time types of 7.3 as their literals
// before 7.3), as seen by FreeTDS and by tedious.
#include "ProtocolClients.h"

using namespace velmora::test;

namespace {

using TdsVersions = ProtocolTest;

const char* const CreateTypes =
    "create table typed (id int primary key, d2 datetime2(7), d date, t time(3), "
    "long_text nvarchar(max), long_bytes varbinary(max))";
const char* const InsertTypes =
    "insert into typed values (1, '2024-05-01 10:30:00.1234567', '2024-05-01', "
    "'23:59:59.9996', 'a long text', 0x0102)";
const char* const SelectTypes = "select d2, d, t, long_text, long_bytes from typed";

// What every version answers alike: a message, rows, a count, an error and its line.
Lines messagesRowsAndErrors(TFreeTdsProbe& client) {
    Lines lines = client.Run("print 'hello'; select n from numbers where n < 3", true);
    const Lines counted = client.Run("update numbers set n = n where n <= 5");
    lines.insert(lines.end(), counted.begin(), counted.end());
    const Lines failed = client.Run("raiserror('too late', 16, 1)");
    lines.insert(lines.end(), failed.begin(), failed.end());
    return lines;
}

} // namespace

TEST_F(TdsVersions, FreeTdsAtEachVersionGetsTheTokensOfThatVersion) {
    TTdsServerProcess server;
    {
        TFreeTdsProbe setup;
        ASSERT_EQ(setup.Connect(freeTdsString(server.Port())), Lines{"connected"});
        setup.Run(CreateTypes);
        setup.Run(InsertTypes);
    }
    // ODBC's types: SQL_WVARCHAR -9, SQL_WLONGVARCHAR -10 (ntext), SQL_VARBINARY -3,
    // SQL_LONGVARBINARY -4 (image), SQL_TYPE_TIMESTAMP 93, SQL_TYPE_DATE 91, SQL_SS_TIME2 -154.
    // The values read alike whatever travelled.
    const std::string values = "row 2024-05-01 10:30:00.1234567 | 2024-05-01 | 00:00:00.000 | "
                               "a long text | 0102";
    for (const auto& [version, recorded, columns] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"7.1", "7.1", "columns d2:-9 d:-9 t:-9 long_text:-10 long_bytes:-4"},
             {"7.2", "7.2", "columns d2:-9 d:-9 t:-9 long_text:-9 long_bytes:-3"},
             {"7.3", "7.3B", "columns d2:93 d:91 t:-154 long_text:-9 long_bytes:-3"},
             {"7.4", "7.4", "columns d2:93 d:91 t:-154 long_text:-9 long_bytes:-3"}}) {
        SCOPED_TRACE(version);
        TFreeTdsProbe client;
        ASSERT_EQ(client.Connect(freeTdsString(server.Port(), version)), Lines{"connected"});
        EXPECT_EQ(messagesRowsAndErrors(client),
                  (Lines{"info 0: hello", "columns n:4", "row 1", "row 2", "rows 2", "rows 5",
                         "error 50000: too late"}));
        EXPECT_EQ(client.Run(SelectTypes, true), (Lines{columns, values, "rows 1"}));
        EXPECT_EQ(client.Run("select tds_version from master..tds_logins where app_name = "
                             "'freetds-probe' order by id desc",
                             true)[1],
                  "row " + recorded);
    }
}

TEST_F(TdsVersions, TediousAtEachVersionGetsTheTokensOfThatVersion) {
    TTdsServerProcess server;
    TTediousPlan setup = PlanFor(server);
    setup.Steps = {CreateTypes, InsertTypes};
    ASSERT_EQ(runTedious(setup), (Lines{"connected 7_4", "rows 0", "rows 1"}));

    const std::string dates73 = "columns d2:DateTime2 d:Date t:Time long_text:NVarChar "
                                "long_bytes:VarBinary";
    for (const auto& [version, columns, values] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"7_1", "columns d2:NVarChar d:NVarChar t:NVarChar long_text:NText long_bytes:Image",
              "row 2024-05-01 10:30:00.1234567 | 2024-05-01 | 00:00:00.000 | a long text | "
              "0x0102"},
             {"7_2",
              "columns d2:NVarChar d:NVarChar t:NVarChar long_text:NVarChar "
              "long_bytes:VarBinary",
              "row 2024-05-01 10:30:00.1234567 | 2024-05-01 | 00:00:00.000 | a long text | "
              "0x0102"},
             {"7_3_A", dates73, ""},
             {"7_3_B", dates73, ""},
             {"7_4", dates73, ""}}) {
        SCOPED_TRACE(version);
        TTediousPlan plan = PlanFor(server);
        plan.TdsVersion = version;
        plan.Steps = {"print 'hello'; select n from numbers where n < 3",
                      "update numbers set n = n where n <= 5", "raiserror('too late', 16, 1)",
                      TTediousStep::Shown(SelectTypes)};
        const Lines lines = runTedious(plan);
        ASSERT_GE(lines.size(), 7u) << ::testing::PrintToString(lines);
        EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5),
                  (Lines{"connected " + version, "info 0: hello", "rows 2", "rows 5",
                         "error 50000: too late"}));
        EXPECT_EQ(lines[5], columns);
        // Tedious reads the types of 7.3 into JavaScript dates (milliseconds, UTC).
        if (!values.empty()) {
            EXPECT_EQ(lines[6], values);
        }
    }
}

TEST_F(TdsVersions, ClientsOlderThanSevenOneAreTurnedAway) {
    TTdsServerProcess server;
    TFreeTdsProbe client;
    const Lines refused = client.Connect(freeTdsString(server.Port(), "7.0"));
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].rfind("connect failed: ", 0), 0u) << refused[0];
}
