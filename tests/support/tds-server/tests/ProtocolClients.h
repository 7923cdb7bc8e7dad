#pragma once
// The two clients the double's tests talk to it with, and what they report as comparable lines:
// FreeTDS through ODBC (the driver the program uses), and tedious (TediousClient.h), which
// shares no code with it.
#include "OdbcHandles.h"
#include "RequireComponent.h"
#include "TdsServer.h"
#include "TediousClient.h"
#include "WideText.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <vector>

namespace velmora::test {

using Lines = std::vector<std::string>;

// FreeTDS's ODBC connection string for a server of the test's own; `extra` adds keywords
// ("Encryption=require;"), `app` is the application name the server records.
inline std::string freeTdsString(int port, const std::string& tdsVersion = "7.4",
                                 const std::string& extra = "",
                                 const std::string& app = "freetds-probe") {
    return "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(port) +
           ";UID=sa;PWD=" + tdsSaPassword + ";Database=sample;TDS_Version=" + tdsVersion +
           ";ClientCharset=UTF-8;APP=" + app + ";" + extra;
}

// "error N: text" for each record of a failure, "info N: text" for a message, the way the lines
// of tedious read: without the driver's "[FreeTDS][SQL Server]".
inline Lines diagnosticLines(SQLSMALLINT type, SQLHANDLE handle) {
    Lines lines;
    for (const ado::Diagnostic& record : ado::readDiagnostics(type, handle)) {
        std::string text = record.message;
        while (!text.empty() && text[0] == '[' && text.find(']') != std::string::npos)
            text.erase(0, text.find(']') + 1);
        lines.push_back((record.sqlState.rfind("01", 0) == 0 ? "info " : "error ") +
                        std::to_string(record.nativeError) + ": " + text);
    }
    return lines;
}

class TFreeTdsProbe {
public:
    // "connected", or the driver's reasons for not connecting.
    Lines Connect(const std::string& connectionString) {
        try {
            connection_.connect(connectionString, 15);
        } catch (const std::exception& error) {
            return {std::string("connect failed: ") + error.what()};
        }
        statement_ = connection_.createStatement();
        return {"connected"};
    }

    // Runs a batch and reads each of its results: with `show`, their columns (name:ODBC type)
    // and rows; then "rows N" (rows read, or the count of a statement without rows).
    Lines Run(const std::string& sql, bool show = false) {
        SQLHSTMT handle = statement_->handle();
        SQLFreeStmt(handle, SQL_CLOSE);
        const ado::SqlWString text = ado::toSqlWide(sql);
        SQLRETURN result = SQLExecDirectW(handle, const_cast<SQLWCHAR*>(text.c_str()), SQL_NTS);
        Lines lines;
        while (true) {
            const Lines said = diagnosticLines(SQL_HANDLE_STMT, handle);
            lines.insert(lines.end(), said.begin(), said.end());
            if (!SQL_SUCCEEDED(result))
                return lines;
            readResult(handle, show, lines);
            result = SQLMoreResults(handle);
            if (result == SQL_NO_DATA)
                return lines;
        }
    }

    SQLHSTMT Statement() const { return statement_->handle(); }

private:
    static void readResult(SQLHSTMT handle, bool show, Lines& lines) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(handle, &columns);
        if (columns == 0) {
            SQLLEN counted = 0;
            SQLRowCount(handle, &counted);
            if (counted >= 0)
                lines.push_back("rows " + std::to_string(counted));
            return;
        }
        if (show) {
            std::string described = "columns";
            for (SQLUSMALLINT column = 1; column <= columns; ++column) {
                SQLCHAR name[256];
                SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
                SQLULEN size = 0;
                SQLDescribeCol(handle, column, name, sizeof name, &nameLength, &type, &size,
                               &digits, &nullable);
                described +=
                    " " + std::string(reinterpret_cast<char*>(name)) + ":" + std::to_string(type);
            }
            lines.push_back(described);
        }
        long rows = 0;
        SQLRETURN fetched = SQL_SUCCESS;
        while (SQL_SUCCEEDED(fetched = SQLFetch(handle))) {
            ++rows;
            if (!show)
                continue;
            std::string row = "row";
            for (SQLUSMALLINT column = 1; column <= columns; ++column) {
                char value[512];
                SQLLEN indicator = 0;
                SQLGetData(handle, column, SQL_C_CHAR, value, sizeof value, &indicator);
                row += std::string(column == 1 ? " " : " | ") +
                       (indicator == SQL_NULL_DATA ? "NULL" : value);
            }
            lines.push_back(row);
        }
        const Lines said = diagnosticLines(SQL_HANDLE_STMT, handle);
        lines.insert(lines.end(), said.begin(), said.end());
        if (fetched == SQL_NO_DATA)
            lines.push_back("rows " + std::to_string(rows));
    }

    ado::OdbcConnection connection_;
    std::shared_ptr<ado::OdbcStatement> statement_;
};

// A test that needs both clients and servers of its own.
class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<std::string> drivers = ado::OdbcEnvironment::shared()->driverNames();
        VELMORA_REQUIRE(std::find(drivers.begin(), drivers.end(), "FreeTDS") != drivers.end(),
                        "the FreeTDS ODBC driver");
        VELMORA_REQUIRE(std::getenv("VELMORA_TDS_SERVER") != nullptr, "the TDS test server");
        VELMORA_REQUIRE(tediousAvailable(), "node with tedious (scripts/setup installs it)");
    }

    static TTediousPlan PlanFor(const TTdsServerProcess& server) {
        TTediousPlan plan;
        plan.Port = server.Port();
        plan.Password = tdsSaPassword;
        return plan;
    }
};

} // namespace velmora::test
