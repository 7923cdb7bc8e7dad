#pragma once
// One session's work on its databases: batches of statements, procedure calls, the current
// database and transactions, answered with the tokens SQL Server would send. The current
// database is SQLite's "main"; another database is attached under its name while a statement
// that names it runs.
#include "Batch.h"
#include "DataDirectory.h"
#include "Reply.h"
#include "SqlText.h"
#include "Sqlite.h"
#include "Tokens.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tds {

struct Argument {
    std::string name; // "@name", or empty for a positional argument
    Value value;
    bool output = false;
    SqlType type;         // the parameter's, once the call has found it
    std::string outputTo; // EXEC's variable that takes an OUTPUT value
};

// The head of an EXEC statement (or of a batch that begins with a procedure's name).
struct ExecHead {
    std::string status;    // EXEC @status = ...
    std::string procedure; // "master..sp_tables", "Sales.p;1"
    size_t arguments = 0;  // where the arguments begin
};
ExecHead execHead(const std::vector<SqlToken>& tokens);

// A result that the server makes itself (the catalogue procedures).
struct ResultTable {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<Value>> rows;
};

class Engine {
public:
    // An Azure engine refuses USE (40508) and names in other databases, as Azure SQL Database.
    Engine(const DataDirectory& data, const std::string& database, bool azure = false);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    const std::string& database() const { return database_; }
    sqlite3* db() const { return db_; }
    const DataDirectory& data() const { return data_; }
    // How the current statement's names resolve.
    NameScope nameScope() const;

    // A language request: the batch's statements in order, each ended by its DONE, the last
    // without "more".
    void runBatch(std::string_view sql, Reply& reply);
    // A procedure call (an RPC request's, or EXEC's), ended by DONEPROC.
    void runProcedure(const std::string& name, const std::vector<Argument>& arguments, Reply& reply,
                      bool more);
    // An expression's value, with the variables or parameters given.
    Value evaluate(std::string_view expression, const Bindings* bindings,
                   bool quotedIdentifiers = true);
    // Makes the database current, with its environment change and message.
    void useDatabase(const std::string& name, Reply& reply);

    // Transactions asked for by a transaction manager request.
    uint64_t beginTransaction();
    uint64_t endTransaction(bool commit);
    bool inTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

private:
    // The declared types of variables and parameters, by their names in lower case.
    using VariableTypes = std::map<std::string, SqlType>;
    struct Context {
        TokenType done;        // DONE, or DONEINPROC inside a procedure
        Bindings* variables;   // the batch's variables, or a procedure's parameters
        std::string procedure; // named in its errors
        VariableTypes* types;  // of `variables`, where declared
    };
    static std::optional<SqlType> variableType(const Context& context, const std::string& name);

    void open(const std::string& database);
    // The whole batch is parsed and its statements compiled before any runs.
    void compile(const std::vector<Statement>& statements);
    void compileSql(const Statement& statement);
    void checkExpression(std::string_view expression, bool quotedIdentifiers);
    void runStatements(const std::vector<Statement>& statements, Context& context, Reply& reply);
    void runStatement(const Statement& statement, Context& context, Reply& reply);
    void runSimple(const Statement& statement, Context& context, Reply& reply);
    void runSql(const Statement& statement, const Context& context, Reply& reply);
    void assignFromSelect(const Statement& statement, const Context& context, Reply& reply);
    bool isTrue(const Statement& statement, const Context& context);
    void sendQueryResult(SqliteStatement& statement, const Statement& source,
                         const Context& context, Reply& reply);
    // The declared types of a query's columns, from preparing it (nothing where SQLite has
    // none; no types at all when it does not prepare).
    std::vector<std::optional<SqlType>> declaredTypes(const std::string& query,
                                                      bool quotedIdentifiers);
    void sendTable(const ResultTable& table, const Context& context, Reply& reply);
    // A result's metadata, the rows `writeRow` writes (it returns false when there are no
    // more), and its DONE; a value its column's type cannot take ends it with the error.
    template <typename WriteRow>
    void sendResult(const std::vector<ResultColumn>& columns, WriteRow writeRow,
                    const Context& context, Reply& reply);
    // Runs a procedure's body; returns its RETURN status and leaves OUTPUT values in the
    // arguments.
    int runUserProcedure(const std::string& name, std::vector<Argument>& arguments, Reply& reply);
    void runExecuteSql(const std::string& statement, const std::string& declarations,
                       std::vector<Argument>& arguments, size_t firstValue, Reply& reply);
    static bool isPreparingProcedure(std::string_view name);
    void runPreparing(const std::string& name, std::vector<Argument>& arguments, Reply& reply);
    // `rpc`: the call is a request's own, whose OUTPUT values go back as RETURNVALUE tokens;
    // an EXEC statement's go to its variables only.
    void callProcedure(const std::string& name, std::vector<Argument>& arguments, Reply& reply,
                       bool rpc);
    void execStatement(const Statement& statement, Context& context, Reply& reply);
    std::vector<Argument> execArguments(const std::vector<SqlToken>& tokens, size_t from,
                                        const Context* context);
    void print(std::string_view expression, const Context& context, Reply& reply);
    void raiseError(std::string_view arguments, bool isThrow, const Context& context, Reply& reply);
    void setStatement(const Statement& statement, Context& context);
    void declare(const Statement& statement, Context& context);
    void waitFor(std::string_view delay, Reply& reply);
    void createModule(const Statement& statement);
    void createProcedure(std::string_view text);
    void dropProcedure(const std::string& name);
    void createSchema(const std::vector<SqlToken>& tokens);
    void checkSchemaOf(const std::string& stored);
    void createView(std::string_view text, const std::vector<SqlToken>& tokens);
    void dropView(std::string_view text, const std::vector<SqlToken>& tokens);
    void registerUserFunctions();
    void transactionStatement(std::string_view first, Reply& reply);
    SqliteText translate(std::string_view text, bool quotedIdentifiers) const;
    // A statement's DONE waits until the next token shows whether more follow.
    void done(Reply& reply, const Context& context, uint16_t status, uint64_t count = 0);
    void flushDone(Reply& reply);
    void endBatch(Reply& reply);

    const DataDirectory& data_;
    std::string database_;
    sqlite3* db_ = nullptr;
    bool azure_ = false;
    bool noCount_ = false;
    bool quotedIdentifiers_ = true;
    std::optional<TokenWriter> pendingDone_;
    Value lastReturnStatus_;
    uint64_t transactionId_ = 0;
    // Statements prepared by sp_prepare and sp_prepexec: their @params and text, by handle.
    std::map<int, std::pair<std::string, std::string>> prepared_;
    int nextHandle_ = 1;
};

} // namespace velmora::tds
