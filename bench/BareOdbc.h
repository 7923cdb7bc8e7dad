#pragma once
// A statement on a connection of its own, made with the driver manager's calls alone: the
// benchmarks' baselines read through it what the data layer reads through its own objects.
#include "OdbcDiagnostics.h"
#include "WideText.h"

#include <sql.h>
#include <sqlext.h>
#include <string>

namespace velmora::bench {

class TBareOdbc {
public:
    explicit TBareOdbc(const std::string& OdbcConnectionString) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &FEnv);
        SQLSetEnvAttr(FEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, FEnv, &FDbc);
        ado::SqlWString text = ado::toSqlWide(OdbcConnectionString);
        ado::checkOdbc(SQLDriverConnectW(FDbc, nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr,
                                         SQL_DRIVER_NOPROMPT),
                       SQL_HANDLE_DBC, FDbc, "bare connect");
        SQLAllocHandle(SQL_HANDLE_STMT, FDbc, &FStmt);
    }
    ~TBareOdbc() {
        SQLFreeHandle(SQL_HANDLE_STMT, FStmt);
        SQLDisconnect(FDbc);
        SQLFreeHandle(SQL_HANDLE_DBC, FDbc);
        SQLFreeHandle(SQL_HANDLE_ENV, FEnv);
    }
    TBareOdbc(const TBareOdbc&) = delete;
    TBareOdbc& operator=(const TBareOdbc&) = delete;

    SQLHSTMT Statement() const { return FStmt; }
    void ExecDirect(const std::string& Sql) const {
        ado::SqlWString query = ado::toSqlWide(Sql);
        ado::checkOdbc(SQLExecDirectW(FStmt, query.data(), SQL_NTS), SQL_HANDLE_STMT, FStmt,
                       "bare execute");
    }

private:
    SQLHENV FEnv = SQL_NULL_HENV;
    SQLHDBC FDbc = SQL_NULL_HDBC;
    SQLHSTMT FStmt = SQL_NULL_HSTMT;
};

} // namespace velmora::bench
