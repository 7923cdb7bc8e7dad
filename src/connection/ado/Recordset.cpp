#include "Recordset.h"

#include "WideText.h"

#include <exception>
#include <sqlext.h>

namespace velmora::ado {

namespace {

// Reads a batch's results one after another, keeping the order of everything it answers.
class BatchReader {
public:
    BatchReader(const OdbcStatement& statement, const GetDataAbilities& abilities,
                TServerCall& call, TBatchOutput& output, bool errorsEndStatements)
        : statement_(statement), abilities_(abilities), call_(call), output_(output),
          errorsEndStatements_(errorsEndStatements), reported_(call.Infos().size()) {}

    TRecordset run(const std::string& sql) {
        const SqlWString text = toSqlWide(sql);
        const SQLHSTMT handle = statement_.handle();
        SQLRETURN result = call_.Cancellable(handle, [&] {
            return SQLExecDirectW(handle, const_cast<SQLWCHAR*>(text.c_str()),
                                  static_cast<SQLINTEGER>(text.size()));
        });
        bool first = true;
        while (true) {
            // A statement that affects no rows may answer SQL_NO_DATA: a closed result.
            if (result == SQL_NO_DATA && first) {
                TRecordset none;
                none.recordsAffected = 0;
                take(std::move(none), true);
            } else if (result == SQL_NO_DATA) {
                break;
            } else if (accepted(result, first ? "Executing" : "Executing the batch")) {
                if (!readResult(first))
                    return std::move(handedOver_);
            }
            first = false;
            call_.SetStage(TServerStage::Executing);
            result = call_.Cancellable(handle, [handle] { return SQLMoreResults(handle); });
        }
        takeMessages();
        if (firstError_ && !handedOver_.open)
            std::rethrow_exception(firstError_);
        return std::move(handedOver_);
    }

private:
    // Whether a call's result can be read; an error that ends only its statement is kept.
    bool accepted(SQLRETURN result, const char* what) {
        if (result != SQL_ERROR) {
            call_.Report(statement_.check(result, what));
            takeMessages();
            return true;
        }
        takeMessages();
        for (Diagnostic& error : readDiagnostics(SQL_HANDLE_STMT, statement_.handle())) {
            // A PRINT before the error comes with it.
            const bool informational =
                error.sqlState.starts_with("01") || (error.severity >= 0 && error.severity <= 10);
            output_.items.push_back({informational ? TBatchItem::biMessage : TBatchItem::biError, 0,
                                     0, std::move(error)});
        }
        try {
            statement_.check(result, what);
        } catch (const EConnectionLost&) {
            throw;
        } catch (const EDatabaseError&) {
            if (!errorsEndStatements_ || call_.CancelRequested())
                throw;
            if (!firstError_)
                firstError_ = std::current_exception();
        }
        return false;
    }

    // False when a cancel request stopped the reading.
    bool readResult(bool first) {
        TRecordset recordset = readCurrentResult(statement_, abilities_, call_);
        takeMessages();
        const bool stopped = recordset.fetchCancelled;
        take(std::move(recordset), first);
        if (stopped)
            // Here, not when the statement is freed on the caller's thread: a driver may have to
            // tell the server to stop sending.
            SQLFreeStmt(statement_.handle(), SQL_CLOSE);
        return !stopped;
    }

    void take(TRecordset&& recordset, bool first) {
        if (recordset.open) {
            const long rows = static_cast<long>(recordset.rows.rowCount());
            if (!handedOver_.open) {
                handedOver_ = std::move(recordset);
                output_.items.push_back({TBatchItem::biResult, 0, 0, {}});
            } else {
                output_.results.push_back(std::move(recordset));
                output_.items.push_back({TBatchItem::biResult, output_.results.size(), 0, {}});
            }
            output_.items.push_back({TBatchItem::biCount, 0, rows, {}});
            return;
        }
        if (recordset.recordsAffected >= 0)
            output_.items.push_back({TBatchItem::biCount, 0, recordset.recordsAffected, {}});
        if (first)
            handedOver_ = std::move(recordset); // its count, until a result set comes
    }

    // The informational records the driver gave since the last look, as items.
    void takeMessages() {
        const std::vector<Diagnostic>& infos = call_.Infos();
        for (; reported_ < infos.size(); ++reported_)
            output_.items.push_back({TBatchItem::biMessage, 0, 0, infos[reported_]});
    }

    const OdbcStatement& statement_;
    const GetDataAbilities& abilities_;
    TServerCall& call_;
    TBatchOutput& output_;
    const bool errorsEndStatements_;
    size_t reported_;
    TRecordset handedOver_;
    std::exception_ptr firstError_;
};

} // namespace

TRecordset readCurrentResult(const OdbcStatement& statement, const GetDataAbilities& abilities,
                             TServerCall& call) {
    TRecordset recordset;
    recordset.columns = describeResultColumns(statement);
    recordset.open = !recordset.columns.empty();
    SQLLEN count = -1;
    if (SQL_SUCCEEDED(SQLRowCount(statement.handle(), &count)))
        recordset.recordsAffected = static_cast<long>(count);
    if (recordset.open) {
        FetchedRows fetched = readRows(statement, recordset.columns, abilities, call);
        recordset.rows = std::move(fetched.rows);
        recordset.fetchCancelled = fetched.stopped;
    }
    return recordset;
}

TRecordset executeDirect(const OdbcStatement& statement, const std::string& sql,
                         const GetDataAbilities& abilities, TServerCall& call, TBatchOutput& output,
                         bool errorsEndStatements) {
    return BatchReader(statement, abilities, call, output, errorsEndStatements).run(sql);
}

TRecordset executeDirect(const OdbcStatement& statement, const std::string& sql,
                         const GetDataAbilities& abilities, TServerCall& call) {
    TBatchOutput ignored;
    return executeDirect(statement, sql, abilities, call, ignored);
}

} // namespace velmora::ado
