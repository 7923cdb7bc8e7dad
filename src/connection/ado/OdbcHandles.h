#pragma once
// RAII owners of ODBC handles. A connection keeps track of the statements made on it and frees
// them before it disconnects, so that a statement outliving its connection fails cleanly instead
// of touching a freed handle.
#include "DriverSockets.h"
#include "OdbcDiagnostics.h"

#include <memory>
#include <optional>
#include <sql.h>
#include <string>
#include <vector>

namespace velmora::ado {

class OdbcEnvironment {
public:
    // The process's one ODBC 3 environment.
    static std::shared_ptr<OdbcEnvironment> shared();
    ~OdbcEnvironment();
    OdbcEnvironment(const OdbcEnvironment&) = delete;
    OdbcEnvironment& operator=(const OdbcEnvironment&) = delete;

    SQLHENV handle() const { return handle_; }
    // The names of the drivers the driver manager knows.
    std::vector<std::string> driverNames() const;
    // The names of the data sources (DSNs) it knows, user and system.
    std::vector<std::string> dataSourceNames() const;

private:
    OdbcEnvironment();
    SQLHENV handle_ = SQL_NULL_HENV;
};

class OdbcStatement {
public:
    explicit OdbcStatement(SQLHDBC connection);
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    // The live handle; EDatabaseError once the connection has been closed.
    SQLHSTMT handle() const;
    bool released() const { return handle_ == SQL_NULL_HSTMT; }
    void release();

    // Checks a call made on this statement (see checkOdbc).
    std::vector<Diagnostic> check(SQLRETURN result, std::string_view what) const;

private:
    SQLHDBC connection_;
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

class OdbcConnection {
public:
    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // Connects with a full ODBC connection string, giving up after the timeout (where the
    // driver can time a login); returns the informational records.
    std::vector<Diagnostic> connect(const std::string& connectionString, int timeoutSeconds);
    void disconnect();
    bool connected() const { return connected_; }
    // From any thread, when a call on the connection (or its connect) is given up: cuts the
    // driver's sockets off, so that its call ends (see DriverSockets.h). False when no socket
    // of it was found.
    bool cutOff() { return sockets_.CutOff() > 0; }
    SQLHDBC handle() const { return handle_; }

    std::shared_ptr<OdbcStatement> createStatement();

    std::string infoText(SQLUSMALLINT infoType) const;
    SQLUINTEGER infoMask(SQLUSMALLINT infoType) const;
    std::optional<std::string> currentCatalog() const;
    // Returns the driver's informational records ("Changed database context to ...").
    std::vector<Diagnostic> setCurrentCatalog(const std::string& catalog);
    void setAutoCommit(bool on);
    void endTransaction(bool commit);

    std::vector<Diagnostic> check(SQLRETURN result, std::string_view what) const;

private:
    void releaseStatements();

    std::shared_ptr<OdbcEnvironment> environment_;
    SQLHDBC handle_ = SQL_NULL_HDBC;
    bool connected_ = false;
    std::vector<std::weak_ptr<OdbcStatement>> statements_;
    TDriverSockets sockets_;
};

} // namespace velmora::ado
