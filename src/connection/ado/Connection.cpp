#include "Connection.h"

#include "ConnectFailure.h"
#include "ConnectionString.h"
#include "DataSet.h"
#include "FreeTdsConfiguration.h"
#include "LoginDatabase.h"
#include "ProviderTranslation.h"
#include "WideText.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <sqlext.h>
#include <utility>

namespace velmora::ado {

namespace {

const char* const closedMessage = "Operation is not allowed when the object is closed.";
const char* const openMessage = "Operation is not allowed when the object is open.";

// The login a connection string hands the driver, for drivers that do not name it: its user
// name, or the account of the user's own session for a trusted connection.
std::string loginOf(const std::string& odbcConnectionString) {
    try {
        const ConnectionStringItems items = parseOdbcConnectionString(odbcConnectionString);
        const std::optional<std::string> trusted = findValue(items, "Trusted_Connection");
        if (trusted && (sameKey(*trusted, "Yes") || sameKey(*trusted, "True")))
            return "Windows authentication";
        return findValue(items, {"UID", "User ID", "Username", "User"}).value_or("");
    } catch (const EDatabaseError&) {
        return {};
    }
}
const char* const connectCancelledMessage = "The connection attempt was cancelled.";
const char* const lostMessage =
    "The server did not answer the cancel request; the connection was closed.";
const char* const cutOffMessage =
    "The server did not answer the cancel request; the connection to it was cut off, so the "
    "server ends the session and rolls back what was not committed.";

std::string installHint(const std::string& driver) {
    if (sameKey(driver, defaultSqlServerDriver))
        return " Install the Debian package tdsodbc and register its driver with odbcinst "
               "(scripts/setup does both).";
    return " Install the driver and register it with odbcinst.";
}

// "name;1" names group 1 of a SQL Server procedure; catalog functions take the bare name.
std::string bareProcedureName(const std::string& name) {
    return name.substr(0, name.find(';'));
}

// Splits "schema.table" at the dots outside quotes and brackets; each part comes without its
// quotes or brackets, a doubled closing one inside standing for one ("[a]]b]" is a]b).
std::vector<std::string> nameParts(const std::string& name) {
    std::vector<std::string> parts(1);
    char closing = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (closing != 0 && c == closing && i + 1 < name.size() && name[i + 1] == closing) {
            parts.back() += c;
            ++i;
        } else if (closing != 0) {
            if (c == closing)
                closing = 0;
            else
                parts.back() += c;
        } else if (c == '[') {
            closing = ']';
        } else if (c == '"' || c == '`') {
            closing = c;
        } else if (c == '.') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

SQLWCHAR* textOrNull(SqlWString& text) {
    return text.empty() ? nullptr : text.data();
}

// "[unixODBC][FreeTDS][SQL Server]Invalid object name 'x'." -> "Invalid object name 'x'.": the
// SQL Server providers report the server's text alone.
std::string withoutComponentTags(const std::string& text) {
    std::string result;
    size_t lineStart = 0;
    while (lineStart <= text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        size_t pos = lineStart;
        while (pos < lineEnd && text[pos] == '[') {
            const size_t close = text.find(']', pos);
            if (close == std::string::npos || close >= lineEnd)
                break;
            pos = close + 1;
        }
        result += text.substr(pos, lineEnd - pos);
        if (lineEnd < text.size())
            result += '\n';
        lineStart = lineEnd + 1;
    }
    return result;
}

// The rows with every cell of one column replaced by what `cell` makes of its row.
RecordStore rewriteColumn(const RecordStore& rows, size_t column,
                          const std::function<std::string(const RowBuilder&)>& cell) {
    RecordStore rewritten(rows.columnCount());
    RowBuilder row;
    RowBuilder changed;
    for (size_t i = 0; i < rows.rowCount(); ++i) {
        rows.loadRow(i, row);
        changed.clear();
        for (size_t c = 0; c < rows.columnCount(); ++c) {
            if (c == column)
                changed.addValue(cell(row));
            else if (row.isNull(c))
                changed.addNull();
            else
                changed.addValue(row.value(c));
        }
        rewritten.appendRow(changed);
    }
    return rewritten;
}

// The SQL type a value is sent as. A value of a long column goes as a long type: bound as a
// plain (var)char or (var)binary, FreeTDS declares it with at most 8000 bytes and cuts it there
// without a word.
SQLSMALLINT parameterSqlType(const TStatementValue& value) {
    switch (adoDataType(value.column)) {
    case adLongVarChar:
        return SQL_LONGVARCHAR;
    case adLongVarWChar:
        return SQL_WLONGVARCHAR;
    case adLongVarBinary:
        return SQL_LONGVARBINARY;
    default:
        break;
    }
    if (value.column.sqlType == SQL_UNKNOWN_TYPE)
        return value.isBinary ? SQL_VARBINARY : SQL_WVARCHAR;
    return value.column.sqlType;
}

bool isDateOrTime(DataTypeEnum type) {
    return type == adDBDate || type == adDBTime || type == adDBTimeStamp;
}

bool isIsoDate(std::string_view text) {
    static const std::string_view shape = "dddd-dd-dd";
    if (text.size() < shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                            : text[i] != shape[i])
            return false;
    return true;
}

// A date and time typed as "yyyy-mm-dd[ hh:mm:ss...]" in the form with "T", the one SQL Server
// reads alike under every language and DATEFORMAT (a datetime column reads "yyyy-mm-dd" as
// year, day, month under some). Other texts go as typed, for the server to read.
std::string isoTimestampText(const std::string& text) {
    if (!isIsoDate(text))
        return text;
    if (text.size() == 10)
        return text + "T00:00:00";
    if (text[10] != ' ')
        return text;
    std::string iso = text;
    iso[10] = 'T';
    return iso;
}

} // namespace

void ensureDriverInstalled(const std::string& driver, const std::vector<std::string>& installed) {
    if (driver.empty())
        return;
    // The driver manager loads a library named by its path, whatever it holds: a connection
    // file could run any code. Only the drivers the system's odbcinst.ini registers are used.
    if (driver.find_first_of("/\\") != std::string::npos)
        throw EDatabaseError("The connection string names the ODBC driver by the path of a "
                             "library, \"" +
                             driver +
                             "\". Only a driver registered with odbcinst is used, by its name "
                             "(such as \"FreeTDS\" or \"SQLite3\").");
    const bool known = std::any_of(installed.begin(), installed.end(),
                                   [&](const std::string& name) { return sameKey(name, driver); });
    if (!known)
        throw EDatabaseError("The ODBC driver \"" + driver +
                             "\" is not installed: unixODBC does not know it." +
                             installHint(driver));
}

TADOConnection::TADOConnection() : odbc_(std::make_shared<OdbcConnection>()) {}

TADOConnection::~TADOConnection() {
    for (TCustomADODataSet* dataSet : dataSets_)
        dataSet->ConnectionGone();
}

std::string TADOConnection::ConnectionString() const {
    if (!hasOpened_ || persistSecurityInfo_)
        return connectionString_;
    try {
        return withoutPassword(connectionString_);
    } catch (const EDatabaseError&) {
        return connectionString_;
    }
}

void TADOConnection::SetConnectionString(const std::string& connectionString) {
    if (Connected())
        throw EDatabaseError(openMessage);
    connectionString_ = connectionString;
    hasOpened_ = false;
    defaultDatabaseChosen_ = false;
    useRefused_ = false;
}

void TADOConnection::fire(const TNotifyEvent& event) {
    if (event)
        event(*this);
}

void TADOConnection::reportInfo(const Diagnostic& diagnostic) {
    if (OnInfoMessage)
        OnInfoMessage(*this, TADOError{providerText(diagnostic.message), diagnostic.sqlState,
                                       diagnostic.nativeError});
}

std::string TADOConnection::providerText(const std::string& message) const {
    return sqlServerProvider_ ? withoutComponentTags(message) : message;
}

void TADOConnection::rethrowWithProviderText() const {
    try {
        throw;
    } catch (const EConnectionLost& error) {
        throw EConnectionLost(providerText(error.what()));
    } catch (const ELoginRefused& error) {
        throw ELoginRefused(providerText(error.what()));
    } catch (const EDatabaseError& error) {
        throw EDatabaseError(providerText(error.what()));
    }
}

bool TADOConnection::waitFor(TServerStage stage, TServerCall::TWork work) {
    if (callRunning_)
        throw EDatabaseError("The connection is still waiting for the server.");
    const auto call = std::make_shared<TServerCall>(
        stage, stage == TServerStage::Connecting ? TCancelRoute{} : cancelRoute_, std::move(work));
    callRunning_ = true;
    bool finished = false;
    try {
        finished = callRunner_(call);
    } catch (...) {
        callRunning_ = false;
        throw;
    }
    callRunning_ = false;
    if (call->CancelRequested())
        ++cancelledCalls_;
    if (!finished)
        return false;
    for (const Diagnostic& info : call->Infos())
        reportInfo(info);
    call->RethrowError();
    return true;
}

void TADOConnection::onConnection(
    const std::function<void(TServerCall& call, OdbcConnection& connection)>& work) {
    checkConnected();
    if (!waitFor(TServerStage::Executing,
                 [connection = odbc_, work](TServerCall& call) { work(call, *connection); }))
        loseConnection();
}

template <typename Result>
Result TADOConnection::onStatement(
    std::function<Result(TServerCall& call, const OdbcStatement& statement)> work) {
    checkConnected();
    const auto result = std::make_shared<Result>();
    // The statement belongs to the call alone: a call that is given up frees it, and then its
    // connection, on whichever thread lets the call go last, never on two threads at once.
    if (!waitFor(TServerStage::Executing, [connection = odbc_, statement = odbc_->createStatement(),
                                           result, work](TServerCall& call) {
            // Freed on the call's thread before the call ends, whether the work
            // succeeds or fails: the driver may free a large result's copy slowly, and
            // the next call on the connection must not meet it being freed.
            try {
                *result = work(call, *statement);
            } catch (...) {
                statement->release();
                throw;
            }
            statement->release();
        }))
        loseConnection();
    return std::move(*result);
}

// The call that was given up keeps the old handles until its driver call returns, which the cut
// socket makes it do at once; the datasets keep their rows.
void TADOConnection::loseConnection() {
    fire(OnBeforeDisconnect);
    const bool cut = odbc_->cutOff();
    odbc_ = std::make_shared<OdbcConnection>();
    inTransaction_ = false;
    lostReason_ = cut ? cutOffMessage : lostMessage;
    fire(OnDisconnect);
    fire(OnAfterDisconnect);
    throw EConnectionLost(lostReason_);
}

void TADOConnection::Open() {
    if (Connected())
        return;
    fire(OnBeforeConnect);
    fire(OnWillConnect);
    fire(OnLogin);
    try {
        connectToTarget();
    } catch (...) {
        fire(OnConnectComplete);
        rethrowWithProviderText();
    }
    fire(OnConnectComplete);
    fire(OnAfterConnect);
}

// The attempt has handles of its own: given up, it finishes on its thread, and nothing of it
// remains here.
void TADOConnection::connectToTarget() {
    sqlServerProvider_ = false;
    OdbcTarget target = translateConnectionString(connectionString_);
    sqlServerProvider_ = target.sqlServer;
    ensureDriverInstalled(target.driver, OdbcEnvironment::shared()->driverNames());
    // A SQL Server string's Initial Catalog is where the connection starts, unless a database
    // was chosen since the string was set.
    if (target.sqlServer && !defaultDatabaseChosen_)
        if (std::optional<std::string> named = loginDatabaseOf(target))
            defaultDatabase_ = *named;
    if (target.sqlServer && useRefused_ && !defaultDatabase_.empty())
        setLoginDatabase(target, defaultDatabase_);
    const auto attempt = std::make_shared<OdbcConnection>();
    // Asked within the bounded call: a driver may ask the server for the login's name.
    const auto identity = std::make_shared<std::pair<std::string, std::string>>();
    const auto connect = [attempt, identity, odbcString = target.odbcConnectionString,
                          configuration = target.freeTdsConfiguration,
                          timeout = target.connectTimeoutSeconds,
                          database = defaultDatabase_](TServerCall& call) {
        {
            std::optional<TFreeTdsConfiguration> checks;
            if (!configuration.empty())
                checks.emplace(configuration);
            call.Report(attempt->connect(odbcString, timeout));
        }
        const bool hasCatalogs = attempt->infoText(SQL_CATALOG_NAME) == "Y";
        if (hasCatalogs && !database.empty() && attempt->currentCatalog() != database)
            call.Report(attempt->setCurrentCatalog(database));
        identity->first = attempt->infoText(SQL_SERVER_NAME);
        identity->second = attempt->infoText(SQL_USER_NAME);
    };
    bool finished = false;
    try {
        finished = waitFor(TServerStage::Connecting, connect);
    } catch (const EDatabaseSwitchRefused&) {
        if (!target.sqlServer || useRefused_)
            throw;
        // The login's database is the only one such a server connects a session to.
        useRefused_ = true;
        if (OnReconnectToDatabase)
            OnReconnectToDatabase(*this, defaultDatabase_);
        return connectToTarget();
    } catch (const EDatabaseError&) {
        rethrowExplainedConnectFailure(target);
    }
    if (!finished) {
        attempt->cutOff(); // its login ends now rather than at the timeout
        throw EDatabaseError(connectCancelledMessage);
    }
    odbc_ = attempt;
    serverName_ = identity->first;
    userName_ = identity->second.empty() ? loginOf(target.odbcConnectionString) : identity->second;
    persistSecurityInfo_ = target.persistSecurityInfo;
    hasOpened_ = true;
    hasCatalogs_ = odbc_->infoText(SQL_CATALOG_NAME) == "Y";
    dbmsName_ = odbc_->infoText(SQL_DBMS_NAME);
    const std::string quote = odbc_->infoText(SQL_IDENTIFIER_QUOTE_CHAR);
    identifierQuote_ = quote == " " ? "" : quote;
    // Brackets mean a name whatever the session's QUOTED_IDENTIFIER says.
    if (IsSqlServer())
        identifierQuote_ = "[";
    // SQL Server holds every value to its column's size: FreeTDS's bound columns never overflow,
    // though it cannot read one again.
    getData_ = GetDataAbilities::fromMask(odbc_->infoMask(SQL_GETDATA_EXTENSIONS), target.sqlServer,
                                          target.sqlServer);
    // SQLite's driver closes the statement inside SQLCancel, under the call it would stop.
    cancelRoute_ = {dbmsName_ != "SQLite", odbc_->handle(), driverCancelOf(odbc_->handle())};
    inTransaction_ = false;
    lostReason_.clear();
}

void TADOConnection::Close() {
    lostReason_.clear();
    if (!Connected())
        return;
    fire(OnBeforeDisconnect);
    for (TCustomADODataSet* dataSet : std::vector(dataSets_))
        dataSet->Close();
    odbc_->disconnect();
    inTransaction_ = false;
    fire(OnDisconnect);
    fire(OnAfterDisconnect);
}

void TADOConnection::SetConnected(bool connected) {
    if (connected)
        Open();
    else
        Close();
}

std::string TADOConnection::DefaultDatabase() const {
    if (Connected() && hasCatalogs_)
        if (auto current = odbc_->currentCatalog())
            return *current;
    return defaultDatabase_;
}

void TADOConnection::SetDefaultDatabase(const std::string& name) {
    if (!UseDatabase(name))
        reconnectInDatabase(name);
}

bool TADOConnection::UseDatabase(const std::string& name) {
    if (name.empty())
        return true;
    if (Connected() && hasCatalogs_ && odbc_->currentCatalog() != name) {
        if (useRefused_)
            return false;
        try {
            onConnection([name](TServerCall& call, OdbcConnection& connection) {
                call.Report(connection.setCurrentCatalog(name));
            });
        } catch (const EDatabaseSwitchRefused&) {
            if (!IsSqlServer())
                throw;
            useRefused_ = true;
            return false;
        }
    }
    defaultDatabase_ = name;
    defaultDatabaseChosen_ = true;
    return true;
}

// The same login again, to the database; should that fail, the connection goes back to the
// database it was in.
void TADOConnection::reconnectInDatabase(const std::string& name) {
    if (inTransaction_)
        throw EDatabaseError("The server switches databases only by connecting anew, which "
                             "would end the open transaction; commit or roll it back first.");
    const std::string previous = DefaultDatabase();
    if (OnReconnectToDatabase)
        OnReconnectToDatabase(*this, name);
    Close();
    defaultDatabase_ = name;
    defaultDatabaseChosen_ = true;
    try {
        Open();
    } catch (const EDatabaseError&) {
        const std::exception_ptr failure = std::current_exception();
        defaultDatabase_ = previous;
        try {
            Open();
        } catch (const EDatabaseError&) {
            // The first error is the one to report.
        }
        std::rethrow_exception(failure);
    }
}

std::string TADOConnection::DefaultSchema() {
    checkConnected();
    if (IsSqlServer())
        return "dbo";
    if (dbmsName_ != "PostgreSQL")
        return {};
    const SqlWString text = toSqlWide("select current_schema()");
    const TRecordset rows = readCatalog(
        [text](SQLHSTMT handle) {
            return SQLExecDirectW(handle, const_cast<SQLWCHAR*>(text.c_str()),
                                  static_cast<SQLINTEGER>(text.size()));
        },
        "Reading the current schema");
    if (rows.rows.rowCount() == 0 || rows.rows.columnCount() == 0 || rows.rows.isNull(0, 0))
        return {};
    return std::string(rows.rows.value(0, 0));
}

bool TADOConnection::IsSqlServer() const {
    return Connected() && (sqlServerProvider_ || dbmsName_ == "Microsoft SQL Server");
}

std::string TADOConnection::Version() const {
    return odbc_->infoText(SQL_DM_VER);
}

std::string TADOConnection::Provider() const {
    try {
        return translateConnectionString(connectionString_).provider;
    } catch (const EDatabaseError&) {
        return {};
    }
}

void TADOConnection::checkConnected() const {
    if (!Connected())
        throw EDatabaseError(lostReason_.empty() ? closedMessage : lostReason_);
}

TRecordset TADOConnection::Execute(const std::string& commandText) {
    lastBatch_ = {};
    checkConnected();
    fire(OnWillExecute);
    TRecordset recordset;
    // The call's own: a call given up goes on writing it on its thread.
    const auto output = std::make_shared<TBatchOutput>();
    const auto keepOutput = [&] {
        lastBatch_ = std::move(*output);
        for (TBatchItem& item : lastBatch_.items)
            item.diagnostic.message = providerText(item.diagnostic.message);
    };
    try {
        recordset = onStatement<TRecordset>(
            [commandText, getData = getData_, output, errorsEndStatements = sqlServerProvider_](
                TServerCall& call, const OdbcStatement& statement) {
                return executeDirect(statement, commandText, getData, call, *output,
                                     errorsEndStatements);
            });
    } catch (const EConnectionLost&) {
        fire(OnExecuteComplete);
        rethrowWithProviderText();
    } catch (...) {
        keepOutput();
        fire(OnExecuteComplete);
        rethrowWithProviderText();
    }
    keepOutput();
    fire(OnExecuteComplete);
    if (recordset.fetchCancelled && OnFetchCancelled)
        OnFetchCancelled(*this, static_cast<long>(recordset.rows.rowCount()));
    return recordset;
}

TRecordset
TADOConnection::readCatalog(const std::function<SQLRETURN(SQLHSTMT handle)>& catalogFunction,
                            const char* what) {
    TRecordset rows = onStatement<TRecordset>([catalogFunction, what,
                                               getData = getData_](TServerCall& call,
                                                                   const OdbcStatement& statement) {
        const SQLHSTMT handle = statement.handle();
        statement.check(call.Cancellable(handle, [&] { return catalogFunction(handle); }), what);
        // The layer reads catalogue results as text itself.
        GetDataAbilities asText = getData;
        asText.typedCells = false;
        return readCurrentResult(statement, asText, call);
    });
    if (rows.fetchCancelled)
        throw EDatabaseError(cancelledMessage);
    return rows;
}

void TADOConnection::OpenSchema(TSchemaInfo schema, TCustomADODataSet& dataSet) {
    // Catalog functions' result columns (0-based) that are rewritten below.
    const size_t nameColumn = 2;
    const size_t tableTypeColumn = 3;
    if (schema == siTables) {
        TRecordset tables = readCatalog(
            [](SQLHSTMT handle) {
                return SQLTablesW(handle, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
            },
            "Reading the tables");
        // SQLite's driver reports its own bookkeeping tables (sqlite_sequence, sqlite_stat1, ...)
        // as plain tables; users cannot create names with that prefix, so they are system tables.
        if (odbc_->infoText(SQL_DBMS_NAME) == "SQLite")
            tables.rows = rewriteColumn(tables.rows, tableTypeColumn, [&](const RowBuilder& row) {
                return row.value(nameColumn).starts_with("sqlite_")
                           ? std::string("SYSTEM TABLE")
                           : std::string(row.value(tableTypeColumn));
            });
        dataSet.SetRecordset(std::move(tables));
        return;
    }
    TRecordset procedures = readCatalog(
        [](SQLHSTMT handle) { return SQLProceduresW(handle, nullptr, 0, nullptr, 0, nullptr, 0); },
        "Reading the procedures");
    // Callers take the name up to its ";" and group number, as SQL Server reports it; other
    // engines report the bare name, which gets group 1.
    procedures.rows = rewriteColumn(procedures.rows, nameColumn, [&](const RowBuilder& row) {
        std::string name(row.value(nameColumn));
        return name.find(';') == std::string::npos ? name + ";1" : name;
    });
    dataSet.SetRecordset(std::move(procedures));
}

TRecordset TADOConnection::ProcedureColumns(const std::string& procedureName) {
    std::vector<std::string> parts = nameParts(bareProcedureName(procedureName));
    SqlWString name = toSqlWide(parts.back());
    SqlWString schema = parts.size() > 1 ? toSqlWide(parts[parts.size() - 2]) : SqlWString();
    return readCatalog(
        [name, schema](SQLHSTMT handle) mutable {
            return SQLProcedureColumnsW(handle, nullptr, 0, textOrNull(schema),
                                        static_cast<SQLSMALLINT>(schema.size()), name.data(),
                                        static_cast<SQLSMALLINT>(name.size()), nullptr, 0);
        },
        "Reading the procedure's parameters");
}

std::vector<std::string> TADOConnection::PrimaryKeyColumns(const std::string& tableName) {
    std::vector<std::string> parts = nameParts(tableName);
    SqlWString table = toSqlWide(parts.back());
    SqlWString schema = parts.size() > 1 ? toSqlWide(parts[parts.size() - 2]) : SqlWString();
    const TRecordset keys = readCatalog(
        [table, schema](SQLHSTMT handle) mutable {
            return SQLPrimaryKeysW(handle, nullptr, 0, textOrNull(schema),
                                   static_cast<SQLSMALLINT>(schema.size()), table.data(),
                                   static_cast<SQLSMALLINT>(table.size()));
        },
        "Reading the primary key");
    const size_t columnName = 3;
    const size_t keySequence = 4;
    std::vector<std::pair<int, std::string>> ordered;
    for (size_t row = 0; row < keys.rows.rowCount(); ++row)
        ordered.emplace_back(std::atoi(std::string(keys.rows.value(row, keySequence)).c_str()),
                             std::string(keys.rows.value(row, columnName)));
    std::sort(ordered.begin(), ordered.end());
    std::vector<std::string> names;
    for (auto& [sequence, name] : ordered)
        names.push_back(std::move(name));
    return names;
}

void TADOConnection::BeginTrans() {
    checkConnected();
    if (inTransaction_)
        throw EDatabaseError("A transaction is already in progress.");
    onConnection([](TServerCall&, OdbcConnection& connection) { connection.setAutoCommit(false); });
    inTransaction_ = true;
    fire(OnBeginTransComplete);
}

void TADOConnection::CommitTrans() {
    endTransaction(true, OnCommitTransComplete);
}

void TADOConnection::RollbackTrans() {
    endTransaction(false, OnRollbackTransComplete);
}

void TADOConnection::endTransaction(bool commit, const TNotifyEvent& completed) {
    checkConnected();
    if (!inTransaction_)
        throw EDatabaseError("No transaction is active.");
    onConnection([commit](TServerCall&, OdbcConnection& connection) {
        connection.endTransaction(commit);
        connection.setAutoCommit(true);
    });
    inTransaction_ = false;
    fire(completed);
}

void TADOConnection::RunInTransaction(const std::function<void()>& work) {
    checkConnected();
    if (inTransaction_)
        return work();
    onConnection([](TServerCall&, OdbcConnection& connection) { connection.setAutoCommit(false); });
    try {
        work();
        onConnection([](TServerCall&, OdbcConnection& connection) {
            connection.endTransaction(true);
            connection.setAutoCommit(true);
        });
    } catch (...) {
        rollBackAfterFailure();
        throw;
    }
}

// Errors here would hide the one that made the transaction fail; a lost connection has nothing
// to undo.
void TADOConnection::rollBackAfterFailure() {
    if (!Connected())
        return;
    try {
        onConnection([](TServerCall&, OdbcConnection& connection) {
            try {
                connection.endTransaction(false);
            } catch (const EDatabaseError&) {
                // The mode below is still worth restoring.
            }
            connection.setAutoCommit(true);
        });
    } catch (const EDatabaseError&) {
        // See above.
    }
}

namespace {

// Binds the values as parameters of `sql` and runs it; returns the number of rows it changed.
long executeWithValues(const OdbcStatement& writeStatement, const std::string& sql,
                       const std::vector<TStatementValue>& values, bool sqlServerProvider,
                       TServerCall& call) {
    const SQLHSTMT handle = writeStatement.handle();
    std::vector<SqlWString> texts(values.size());
    std::vector<SQLLEN> lengths(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const TStatementValue& value = values[i];
        const DataTypeEnum type = adoDataType(value.column);
        // FreeTDS turns a date or time given as text into a datetime on the client, which
        // moves a date before 1753 into another century. As text, the server converts it into
        // the column's own type.
        const bool dateTimeAsText = sqlServerProvider && isDateOrTime(type);
        SQLPOINTER data = nullptr;
        SQLLEN bytes = 0;
        if (value.isBinary) {
            data = const_cast<char*>(value.bytes.data());
            bytes = static_cast<SQLLEN>(value.bytes.size());
        } else {
            texts[i] =
                toSqlWide(dateTimeAsText && type == adDBTimeStamp ? isoTimestampText(value.bytes)
                                                                  : value.bytes);
            data = texts[i].data();
            bytes = static_cast<SQLLEN>(texts[i].size() * sizeof(SQLWCHAR));
        }
        lengths[i] = value.isNull ? SQL_NULL_DATA : bytes;
        const SQLULEN size =
            std::max<SQLULEN>({value.column.columnSize,
                               static_cast<SQLULEN>(value.isBinary ? bytes : texts[i].size()), 1});
        writeStatement.check(
            SQLBindParameter(handle, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                             value.isBinary ? SQL_C_BINARY : SQL_C_WCHAR,
                             dateTimeAsText ? SQL_WVARCHAR : parameterSqlType(value), size,
                             value.column.decimalDigits, data, bytes, &lengths[i]),
            "Binding a value");
    }
    const SqlWString text = toSqlWide(sql);
    const auto write = [&] {
        return SQLExecDirectW(handle, const_cast<SQLWCHAR*>(text.c_str()),
                              static_cast<SQLINTEGER>(text.size()));
    };
    writeStatement.check(call.Cancellable(handle, write), "Writing the row");
    SQLLEN count = 0;
    writeStatement.check(SQLRowCount(handle, &count), "Counting the written rows");
    return static_cast<long>(count);
}

} // namespace

long TADOConnection::ExecuteWithValues(const std::string& sql,
                                       const std::vector<TStatementValue>& values) {
    return onStatement<long>([sql, values, sqlServerProvider = sqlServerProvider_](
                                 TServerCall& call, const OdbcStatement& statement) {
        return executeWithValues(statement, sql, values, sqlServerProvider, call);
    });
}

std::string TADOConnection::QuoteIdentifier(const std::string& name) const {
    if (identifierQuote_.empty() || name.empty())
        return name;
    const char opening = identifierQuote_.front();
    const char closing = opening == '[' ? ']' : opening;
    std::string quoted(1, opening);
    for (char c : name) {
        quoted += c;
        if (c == closing)
            quoted += c;
    }
    return quoted + closing;
}

std::string TADOConnection::QuoteTableName(const std::string& name) const {
    std::string quoted;
    for (const std::string& part : nameParts(name)) {
        if (!quoted.empty())
            quoted += '.';
        quoted += QuoteIdentifier(part);
    }
    return quoted;
}

void TADOConnection::AttachDataSet(TCustomADODataSet* dataSet) {
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end())
        dataSets_.push_back(dataSet);
}

void TADOConnection::DetachDataSet(TCustomADODataSet* dataSet) {
    std::erase(dataSets_, dataSet);
}

} // namespace velmora::ado
