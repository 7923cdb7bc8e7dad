#pragma once
// A batch sent to the TDS test server through the FreeTDS ODBC driver as plainly as ODBC allows
// (SQLExecDirect, then SQLMoreResults to the end), and everything that came back: each result
// set with its columns' SQL Server types and its rows as text, each row count, and each message
// with its number. (FreeTDS does not report a message's severity or line through ODBC.)
#include "AdoTestSupport.h"
#include "OdbcHandles.h"
#include "WideText.h"

#include <gtest/gtest.h>
#include <sqlext.h>
#include <string>
#include <vector>

namespace velmora::test {

struct TdsMessage {
    int number = 0;
    std::string text; // without the driver's "[FreeTDS][SQL Server]"

    std::string summary() const { return "Msg " + std::to_string(number) + ": " + text; }
};

struct TdsColumn {
    std::string name;
    std::string type; // SQL Server's type name, as the driver reports it: "varchar", "numeric"
    SQLULEN size = 0; // characters, or precision
    SQLSMALLINT scale = 0;

    std::string described() const {
        return name + " " + type + "(" + std::to_string(size) + "," + std::to_string(scale) + ")";
    }
};

struct TdsResult {
    std::vector<TdsColumn> columns;
    std::vector<std::vector<std::string>> rows; // "NULL" for a null
};

struct TdsBatch {
    std::vector<TdsResult> results;
    std::vector<long> counts; // rows affected, for each statement that reports them
    std::vector<TdsMessage> messages;

    std::vector<std::string> summaries() const {
        std::vector<std::string> lines;
        for (const TdsMessage& message : messages)
            lines.push_back(message.summary());
        return lines;
    }
    // The first column of every row of every result, in order.
    std::vector<std::string> firstColumn() const {
        std::vector<std::string> values;
        for (const TdsResult& result : results)
            for (const auto& row : result.rows)
                values.push_back(row.empty() ? "" : row[0]);
        return values;
    }
};

inline void collectMessages(SQLHSTMT statement, TdsBatch& batch) {
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6];
        SQLINTEGER native = 0;
        SQLWCHAR text[4096];
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(SQL_HANDLE_STMT, statement, record, state, &native, text,
                                          4096, &length)))
            return;
        TdsMessage message;
        message.number = native;
        message.text = ado::fromSqlWide(text, static_cast<size_t>(length));
        const size_t prefix = message.text.rfind(']');
        if (prefix != std::string::npos)
            message.text.erase(0, prefix + 1);
        batch.messages.push_back(std::move(message));
    }
}

inline TdsResult readResult(SQLHSTMT statement, SQLSMALLINT columns) {
    TdsResult result;
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columns); ++i) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0, dataType = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeColW(statement, i, name, 256, &nameLength, &dataType, &size, &scale, &nullable);
        SQLWCHAR typeName[128];
        SQLSMALLINT typeLength = 0;
        SQLColAttributeW(statement, i, SQL_DESC_TYPE_NAME, typeName, sizeof typeName, &typeLength,
                         nullptr);
        result.columns.push_back(
            {ado::fromSqlWide(name, static_cast<size_t>(nameLength)),
             ado::fromSqlWide(typeName, static_cast<size_t>(typeLength) / sizeof(SQLWCHAR)), size,
             scale});
    }
    while (SQL_SUCCEEDED(SQLFetch(statement))) {
        std::vector<std::string> row;
        for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columns); ++i) {
            SQLWCHAR value[4096];
            SQLLEN length = 0;
            SQLGetData(statement, i, SQL_C_WCHAR, value, sizeof value, &length);
            row.push_back(
                length == SQL_NULL_DATA
                    ? "NULL"
                    : ado::fromSqlWide(value, static_cast<size_t>(length) / sizeof(SQLWCHAR)));
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

// Runs the batch on a statement of its own and reads it to the end.
inline TdsBatch runBatch(ado::OdbcConnection& connection, const std::string& sql) {
    const auto owner = connection.createStatement();
    const SQLHSTMT statement = owner->handle();
    TdsBatch batch;
    const ado::SqlWString text = ado::toSqlWide(sql);
    SQLRETURN result = SQLExecDirectW(statement, const_cast<SQLWCHAR*>(text.c_str()), SQL_NTS);
    while (result != SQL_NO_DATA && result != SQL_INVALID_HANDLE) {
        collectMessages(statement, batch);
        if (SQL_SUCCEEDED(result)) {
            SQLSMALLINT columns = 0;
            SQLNumResultCols(statement, &columns);
            if (columns > 0) {
                batch.results.push_back(readResult(statement, columns));
            } else {
                SQLLEN count = -1;
                SQLRowCount(statement, &count);
                if (count >= 0)
                    batch.counts.push_back(static_cast<long>(count));
            }
        }
        result = SQLMoreResults(statement);
    }
    return batch;
}

// A connection of its own to the shared test server (or to a server of the test's own).
class TdsBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
        VELMORA_REQUIRE(tdsServerPort().has_value(), "the tds_server test fixture");
        connection.connect(tdsOdbcConnectionString(*tdsServerPort(), "sample"), 15);
    }
    TdsBatch run(const std::string& sql) { return runBatch(connection, sql); }

    ado::OdbcConnection connection;
};

} // namespace velmora::test
