#include "OdbcHandles.h"

#include "WideText.h"

#include <algorithm>
#include <iterator>
#include <sqlext.h>

namespace velmora::ado {

std::shared_ptr<OdbcEnvironment> OdbcEnvironment::shared() {
    static const std::shared_ptr<OdbcEnvironment> environment(new OdbcEnvironment);
    return environment;
}

OdbcEnvironment::OdbcEnvironment() {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_)))
        throw EDatabaseError("The ODBC driver manager could not create an environment");
    checkOdbc(SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_HANDLE_ENV, handle_, "Setting the ODBC version");
}

OdbcEnvironment::~OdbcEnvironment() {
    SQLFreeHandle(SQL_HANDLE_ENV, handle_);
}

namespace {

// Walks one of the driver manager's name lists (drivers, data sources) from first to last.
template <typename FetchName>
std::vector<std::string> listNames(FetchName fetch) {
    std::vector<std::string> names;
    SQLWCHAR name[512];
    SQLWCHAR description[2048];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        std::fill(std::begin(name), std::end(name), SQLWCHAR{0});
        if (!SQL_SUCCEEDED(fetch(direction, name, &nameLength, description, &descriptionLength)))
            break;
        names.push_back(fromSqlWideBuffer(name, std::size(name), reportedLength(nameLength)));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

} // namespace

std::vector<std::string> OdbcEnvironment::driverNames() const {
    return listNames([this](SQLUSMALLINT direction, SQLWCHAR* name, SQLSMALLINT* nameLength,
                            SQLWCHAR* description, SQLSMALLINT* descriptionLength) {
        return SQLDriversW(handle_, direction, name, 512, nameLength, description, 2048,
                           descriptionLength);
    });
}

std::vector<std::string> OdbcEnvironment::dataSourceNames() const {
    return listNames([this](SQLUSMALLINT direction, SQLWCHAR* name, SQLSMALLINT* nameLength,
                            SQLWCHAR* description, SQLSMALLINT* descriptionLength) {
        return SQLDataSourcesW(handle_, direction, name, 512, nameLength, description, 2048,
                               descriptionLength);
    });
}

OdbcStatement::OdbcStatement(SQLHDBC connection) : connection_(connection) {
    const SQLRETURN result = SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle_);
    if (!SQL_SUCCEEDED(result)) {
        handle_ = SQL_NULL_HSTMT;
        throwDiagnostics(readDiagnostics(SQL_HANDLE_DBC, connection), "Creating a statement failed",
                         connection);
    }
}

OdbcStatement::~OdbcStatement() {
    release();
}

void OdbcStatement::release() {
    if (handle_ != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, handle_);
    handle_ = SQL_NULL_HSTMT;
}

SQLHSTMT OdbcStatement::handle() const {
    if (handle_ == SQL_NULL_HSTMT)
        throw EDatabaseError("Operation is not allowed when the connection is closed");
    return handle_;
}

std::vector<Diagnostic> OdbcStatement::check(SQLRETURN result, std::string_view what) const {
    return checkOdbc(result, SQL_HANDLE_STMT, handle_, what, connection_);
}

OdbcConnection::OdbcConnection() : environment_(OdbcEnvironment::shared()) {
    checkOdbc(SQLAllocHandle(SQL_HANDLE_DBC, environment_->handle(), &handle_), SQL_HANDLE_ENV,
              environment_->handle(), "Creating a connection");
}

OdbcConnection::~OdbcConnection() {
    disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, handle_);
}

std::vector<Diagnostic> OdbcConnection::connect(const std::string& connectionString,
                                                int timeoutSeconds) {
    // A driver that cannot time its login refuses the attribute; it then connects as before.
    SQLSetConnectAttrW(handle_, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)),
                       SQL_IS_UINTEGER);
    const SqlWString text = toSqlWide(connectionString);
    SQLSMALLINT outLength = 0;
    // Given up before it began (a window thread that stopped waiting at once), it never begins.
    if (!sockets_.Watch())
        throw EDatabaseError("The connection attempt was given up before it began.");
    const SQLRETURN result = SQLDriverConnectW(
        handle_, nullptr, const_cast<SQLWCHAR*>(text.c_str()),
        static_cast<SQLSMALLINT>(text.size()), nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
    sockets_.Settle();
    auto info = check(result, "Connecting");
    connected_ = true;
    return info;
}

void OdbcConnection::disconnect() {
    if (!connected_)
        return;
    releaseStatements();
    if (!SQL_SUCCEEDED(SQLDisconnect(handle_))) {
        // An open transaction makes the driver refuse; roll it back and leave regardless.
        SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
        SQLDisconnect(handle_);
    }
    connected_ = false;
}

void OdbcConnection::releaseStatements() {
    for (auto& weak : statements_)
        if (auto statement = weak.lock())
            statement->release();
    statements_.clear();
}

std::shared_ptr<OdbcStatement> OdbcConnection::createStatement() {
    if (!connected_)
        throw EDatabaseError("Operation is not allowed when the connection is closed");
    std::erase_if(statements_, [](const auto& weak) { return weak.expired(); });
    auto statement = std::make_shared<OdbcStatement>(handle_);
    statements_.push_back(statement);
    return statement;
}

std::string OdbcConnection::infoText(SQLUSMALLINT infoType) const {
    SQLWCHAR buffer[512] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(handle_, infoType, buffer, sizeof buffer, &length)))
        return {};
    return fromSqlWideBuffer(buffer, std::size(buffer), reportedLength(length) / sizeof(SQLWCHAR));
}

SQLUINTEGER OdbcConnection::infoMask(SQLUSMALLINT infoType) const {
    SQLUINTEGER value = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(handle_, infoType, &value, sizeof value, nullptr)))
        return 0;
    return value;
}

std::optional<std::string> OdbcConnection::currentCatalog() const {
    SQLWCHAR buffer[512] = {};
    SQLINTEGER length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetConnectAttrW(handle_, SQL_ATTR_CURRENT_CATALOG, buffer, sizeof buffer, &length)))
        return std::nullopt;
    return fromSqlWideBuffer(buffer, std::size(buffer), reportedLength(length) / sizeof(SQLWCHAR));
}

std::vector<Diagnostic> OdbcConnection::setCurrentCatalog(const std::string& catalog) {
    const SqlWString text = toSqlWide(catalog);
    return check(SQLSetConnectAttrW(handle_, SQL_ATTR_CURRENT_CATALOG,
                                    const_cast<SQLWCHAR*>(text.c_str()),
                                    static_cast<SQLINTEGER>(text.size() * sizeof(SQLWCHAR))),
                 "Changing the database");
}

void OdbcConnection::setAutoCommit(bool on) {
    check(SQLSetConnectAttrW(
              handle_, SQL_ATTR_AUTOCOMMIT,
              reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF),
              SQL_IS_UINTEGER),
          "Setting the transaction mode");
}

void OdbcConnection::endTransaction(bool commit) {
    check(SQLEndTran(SQL_HANDLE_DBC, handle_, commit ? SQL_COMMIT : SQL_ROLLBACK),
          commit ? "Committing" : "Rolling back");
}

std::vector<Diagnostic> OdbcConnection::check(SQLRETURN result, std::string_view what) const {
    return checkOdbc(result, SQL_HANDLE_DBC, handle_, what, connected_ ? handle_ : SQL_NULL_HDBC);
}

} // namespace velmora::ado
