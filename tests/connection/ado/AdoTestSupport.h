#pragma once
// Shared pieces of the data layer's tests: throw-away SQLite databases, connections to the
// PostgreSQL and TDS test servers, and a recorder of the connection's notifications.
#include "Ado.h"
#include "PostgresServer.h"
#include "RequireComponent.h"
#include "TdsServer.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velmora::test {

inline bool odbcDriverInstalled(const std::string& name) {
    const auto drivers = ado::OdbcEnvironment::shared()->driverNames();
    return std::find(drivers.begin(), drivers.end(), name) != drivers.end();
}

// The message of the EDatabaseError an action raises, or "no error".
inline std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ado::EDatabaseError& error) {
        return error.what();
    }
    return "no error";
}

// Runs a connection's calls the way the window does, on a thread of their own, and asks `decide`
// every few milliseconds what to do while one runs.
class ThreadedCallRunner {
public:
    enum class Action { Wait, Cancel, GiveUp };
    using Decide = std::function<Action(const ado::TServerCall& call,
                                        std::chrono::steady_clock::duration elapsed)>;

    explicit ThreadedCallRunner(Decide decide) : decide_(std::move(decide)) {}

    bool operator()(const std::shared_ptr<ado::TServerCall>& call) const {
        std::thread worker([call] { call->Run(); });
        const auto started = std::chrono::steady_clock::now();
        bool cancelled = false;
        while (!call->Finished()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const Action action = decide_(*call, std::chrono::steady_clock::now() - started);
            if (action == Action::GiveUp && !call->Finished()) {
                worker.detach();
                return false;
            }
            if (action == Action::Cancel && !cancelled) {
                // As the window does: Cancel returns once the cancel is sent.
                std::thread([call] { call->Cancel(); }).detach();
                cancelled = true;
            }
        }
        worker.join();
        return true;
    }

private:
    Decide decide_;
};

// A fresh directory under the system's temporary folder, removed with its content.
class TempDirectory {
public:
    TempDirectory() {
        static std::atomic<int> counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("velmora-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string sqliteConnectionString(const std::filesystem::path& database) {
    return "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"Driver=SQLite3;"
           "Database=" +
           database.string() + "\"";
}

// Names every notification the connection raises, in order ("Info Message (text)" for infos).
class NotificationRecorder {
public:
    explicit NotificationRecorder(ado::TADOConnection& connection) : connection_(connection) {
        auto record = [this](const char* name) {
            return [this, name](ado::TADOConnection&) { events.emplace_back(name); };
        };
        connection.OnBeforeConnect = record("Before Connect");
        connection.OnWillConnect = record("Will Connect");
        connection.OnLogin = record("Login");
        connection.OnConnectComplete = record("Connect Complete");
        connection.OnAfterConnect = record("After Connect");
        connection.OnBeforeDisconnect = record("Before Disconnect");
        connection.OnDisconnect = record("Disconnect");
        connection.OnAfterDisconnect = record("After Disconnect");
        connection.OnWillExecute = record("Will Execute");
        connection.OnExecuteComplete = record("Execute Complete");
        connection.OnBeginTransComplete = record("Begin Transaction Complete");
        connection.OnCommitTransComplete = record("Commit Transaction Complete");
        connection.OnRollbackTransComplete = record("Rollback Transaction Complete");
        connection.OnInfoMessage = [this](ado::TADOConnection&, const ado::TADOError& error) {
            events.push_back("Info Message (" + error.Description + ")");
        };
    }
    // The handlers must not outlive the recorder they write to.
    ~NotificationRecorder() {
        for (auto* event :
             {&connection_.OnBeforeConnect, &connection_.OnWillConnect, &connection_.OnLogin,
              &connection_.OnConnectComplete, &connection_.OnAfterConnect,
              &connection_.OnBeforeDisconnect, &connection_.OnDisconnect,
              &connection_.OnAfterDisconnect, &connection_.OnWillExecute,
              &connection_.OnExecuteComplete, &connection_.OnBeginTransComplete,
              &connection_.OnCommitTransComplete, &connection_.OnRollbackTransComplete})
            *event = nullptr;
        connection_.OnInfoMessage = nullptr;
    }
    NotificationRecorder(const NotificationRecorder&) = delete;
    NotificationRecorder& operator=(const NotificationRecorder&) = delete;

    std::vector<std::string> take() { return std::exchange(events, {}); }

    std::vector<std::string> events;

private:
    ado::TADOConnection& connection_;
};

// A connection to a new SQLite database in a temporary folder.
class SqliteFixture : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("SQLite3"), "the SQLite3 ODBC driver");
        connection.SetConnectionString(sqliteConnectionString(databasePath()));
        connection.Open();
    }
    std::filesystem::path databasePath() const { return directory.path() / "test.db"; }
    void run(const std::string& sql) { connection.Execute(sql); }

    TempDirectory directory;
    ado::TADOConnection connection;
};

// Ends the PostgreSQL session of process `pid` from `admin`'s session, and waits until the
// server has let it go (the session ends a moment after it is told to).
inline void endPostgresSession(ado::TADOConnection& admin, const std::string& pid) {
    admin.Execute("select pg_terminate_backend(" + pid + ")");
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (admin.Execute("select 1 from pg_stat_activity where pid = " + pid).rows.rowCount() == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A connection to the postgres_server fixture's database, working in a schema of its own (named
// for the test) that is dropped afterwards.
class PostgresFixture : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("PostgreSQL Unicode"), "the PostgreSQL ODBC driver");
        VELMORA_REQUIRE(postgresPort().has_value(), "the postgres_server test fixture");
        connection.SetConnectionString(postgresConnectionString());
        connection.Open();
        // Lower case: the table names written unquoted name it so.
        schema = "t" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::transform(schema.begin(), schema.end(), schema.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        run("drop schema if exists " + schema + " cascade; create schema " + schema +
            "; set search_path to " + schema);
    }
    void TearDown() override {
        if (connection.Connected())
            run("drop schema if exists " + schema + " cascade");
    }
    void run(const std::string& sql) { connection.Execute(sql); }

    std::string errorOf(const std::string& sql) {
        return test::errorOf([&] { run(sql); });
    }

    ado::TADOConnection connection;
    std::string schema;
};

// A connection through FreeTDS to the tds_server fixture's sample database. The server is
// shared: tables a test makes are named for the test and the process (OwnTable), and dropped
// afterwards.
class FreeTdsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
        VELMORA_REQUIRE(tdsServerPort().has_value(), "the tds_server test fixture");
        connection.SetConnectionString(tdsConnectionString("sample"));
        connection.Open();
    }
    void TearDown() override {
        for (const std::string& table : tables_)
            if (connection.Connected())
                run("drop table if exists " + table);
    }
    void run(const std::string& sql) { connection.Execute(sql); }
    std::string errorOf(const std::string& sql) {
        return test::errorOf([&] { run(sql); });
    }
    // A table name of the test's own, dropped after the test.
    std::string ownTable(const std::string& stem) {
        tables_.push_back(stem + "_" + std::to_string(getpid()));
        return tables_.back();
    }

    ado::TADOConnection connection;

private:
    std::vector<std::string> tables_;
};

} // namespace velmora::test
