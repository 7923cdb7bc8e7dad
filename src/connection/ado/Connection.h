#pragma once
// TADOConnection: the one database connection, opened from an OLE DB connection string, with
// ADO's connection notifications.
#include "OdbcHandles.h"
#include "Recordset.h"
#include "ServerCall.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmora::ado {

class TCustomADODataSet;

// The error object that comes with an info message.
struct TADOError {
    std::string Description;
    std::string SQLState;
    int NativeError = 0;
};

enum TSchemaInfo { siTables, siProcedures };

// A value sent with a statement: text (UTF-8) or bytes, or null.
struct TStatementValue {
    bool isNull = false;
    bool isBinary = false;
    std::string bytes;
    ColumnDescription column; // the column it is compared with or written to
};

class TADOConnection {
public:
    using TNotifyEvent = std::function<void(TADOConnection& sender)>;
    using TInfoMessageEvent = std::function<void(TADOConnection& sender, const TADOError& error)>;
    using TFetchCancelledEvent = std::function<void(TADOConnection& sender, long rows)>;
    using TDatabaseEvent = std::function<void(TADOConnection& sender, const std::string& database)>;

    TADOConnection();
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    // As set; once the connection has opened, without its password unless the string says
    // "Persist Security Info=True".
    std::string ConnectionString() const;
    // Refused while the connection is open.
    void SetConnectionString(const std::string& connectionString);

    void Open();
    void Close();
    bool Connected() const { return odbc_->connected(); }
    void SetConnected(bool connected);

    // How calls that wait on the server are run and waited for; by default on the calling
    // thread. When the runner gives a call up, the connection is closed: its handles stay with
    // the call until the driver returns.
    void SetCallRunner(TServerCallRunner runner) { callRunner_ = std::move(runner); }

    // The server's current database when the driver has catalogs, else the name kept here. A
    // name set while closed is applied when the connection opens; an empty name changes nothing.
    // A SQL Server that does not switch a session's database (Azure SQL Database) is connected
    // to anew, with the same login, in the database (OnReconnectToDatabase tells first); a
    // failed reconnect goes back to the database it was in. A SQL Server connection string's
    // own database (Initial Catalog) is where the connection opens, unless a name was set
    // after the string.
    std::string DefaultDatabase() const;
    void SetDefaultDatabase(const std::string& name);
    // Switches the session's database as SetDefaultDatabase does, but never by connecting
    // anew: false, with nothing changed, when the server does not switch that way.
    bool UseDatabase(const std::string& name);

    // The schema an object's name need not mention: dbo on SQL Server, the current schema on
    // PostgreSQL, none elsewhere. Asks the server where it must.
    std::string DefaultSchema();
    // The open connection is to Microsoft SQL Server (by its provider or as the driver names
    // the server).
    bool IsSqlServer() const;

    // Whom the open connection is with: the server and the login as the driver names them when
    // it connected; empty while closed, or where the driver does not say.
    std::string ServerName() const { return Connected() ? serverName_ : std::string(); }
    std::string UserName() const { return Connected() ? userName_ : std::string(); }

    std::string Version() const;  // the ODBC driver manager's version
    std::string Provider() const; // as the connection string names it

    // Runs a statement (a whole batch) and returns its first result set, or its first result
    // when it has none; cancelled while its rows came, the result holds those read until then
    // (OnFetchCancelled tells how many). Everything else the batch answered, in order, is kept
    // for TakeLastBatch, also when the batch failed.
    TRecordset Execute(const std::string& commandText);
    // What the last Execute's batch answered besides the result it returned (messages in the
    // provider's text); taking it leaves nothing.
    TBatchOutput TakeLastBatch() { return std::exchange(lastBatch_, {}); }
    // How many calls the user asked to cancel, since the connection object was made.
    unsigned long CancelledCalls() const { return cancelledCalls_; }
    // Fills `dataSet` with a schema rowset: tables (TABLE_NAME, TABLE_TYPE) or procedures
    // (PROCEDURE_NAME, as "name;number").
    void OpenSchema(TSchemaInfo schema, TCustomADODataSet& dataSet);
    // The parameter rows of a procedure (SQLProcedureColumns).
    TRecordset ProcedureColumns(const std::string& procedureName);
    // The primary key's columns of a table, in key order.
    std::vector<std::string> PrimaryKeyColumns(const std::string& tableName);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return inTransaction_; }

    // Runs a statement with parameters without notifications, returning the row count; used to
    // write edited rows back.
    long ExecuteWithValues(const std::string& sql, const std::vector<TStatementValue>& values);
    // Runs `work` in a transaction of its own unless one is already open.
    void RunInTransaction(const std::function<void()>& work);
    // A table's name, "table" or "schema.table", each part bare or enclosed in brackets or the
    // driver's quotes, quoted for the driver: in brackets on SQL Server, so that statements
    // mean the same whatever the session's QUOTED_IDENTIFIER.
    std::string QuoteTableName(const std::string& name) const;
    // One name as it is, quoted for the driver.
    std::string QuoteIdentifier(const std::string& name) const;

    void AttachDataSet(TCustomADODataSet* dataSet);
    void DetachDataSet(TCustomADODataSet* dataSet);

    TNotifyEvent OnBeforeConnect, OnWillConnect, OnLogin, OnConnectComplete, OnAfterConnect;
    TNotifyEvent OnBeforeDisconnect, OnDisconnect, OnAfterDisconnect;
    TNotifyEvent OnWillExecute, OnExecuteComplete;
    TNotifyEvent OnBeginTransComplete, OnCommitTransComplete, OnRollbackTransComplete;
    TInfoMessageEvent OnInfoMessage;
    TFetchCancelledEvent OnFetchCancelled;
    TDatabaseEvent OnReconnectToDatabase;

private:
    void fire(const TNotifyEvent& event);
    void reportInfo(const Diagnostic& diagnostic);
    void connectToTarget();
    void checkConnected() const;
    std::string providerText(const std::string& message) const;
    [[noreturn]] void rethrowWithProviderText() const;
    void endTransaction(bool commit, const TNotifyEvent& completed);
    void rollBackAfterFailure();
    // Runs work that waits on the server through the call runner, then reports its info records
    // and raises its error here. False when the runner gave the call up.
    bool waitFor(TServerStage stage, TServerCall::TWork work);
    // The same for work on the open connection, which is lost when the call is given up.
    void
    onConnection(const std::function<void(TServerCall& call, OdbcConnection& connection)>& work);
    // The same for a new statement's work; returns what the work returns.
    template <typename Result>
    Result
    onStatement(std::function<Result(TServerCall& call, const OdbcStatement& statement)> work);
    // Reads a catalog function's result; a cancelled read fails rather than give part of it.
    TRecordset readCatalog(const std::function<SQLRETURN(SQLHSTMT handle)>& catalogFunction,
                           const char* what);
    [[noreturn]] void loseConnection();
    void reconnectInDatabase(const std::string& name);

    std::shared_ptr<OdbcConnection> odbc_;
    TServerCallRunner callRunner_ = runOnCallingThread;
    bool callRunning_ = false;
    std::string lostReason_; // why the connection closed when it was not asked to
    std::string connectionString_;
    bool persistSecurityInfo_ = false;
    bool sqlServerProvider_ = false;
    bool hasOpened_ = false;
    std::string defaultDatabase_;
    bool defaultDatabaseChosen_ = false; // set since the connection string was
    bool useRefused_ = false;            // the server switches databases only by a new login
    std::string dbmsName_;
    std::string serverName_;
    std::string userName_;
    bool hasCatalogs_ = false;
    std::string identifierQuote_ = "\"";
    GetDataAbilities getData_;
    TCancelRoute cancelRoute_; // how Cancel reaches the open connection's driver
    bool inTransaction_ = false;
    std::vector<TCustomADODataSet*> dataSets_;
    TBatchOutput lastBatch_;
    unsigned long cancelledCalls_ = 0;
};

// Raises EDatabaseError naming the driver, and how to install it, when it is not among the
// drivers unixODBC knows; a driver named by the path of a library is refused.
void ensureDriverInstalled(const std::string& driver, const std::vector<std::string>& installed);

} // namespace velmora::ado
