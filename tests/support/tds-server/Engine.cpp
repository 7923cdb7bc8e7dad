#include "Engine.h"

#include "CatalogueProcedures.h"
#include "Functions.h"
#include "Procedures.h"
#include "ResultTypes.h"
#include "SqlErrors.h"
#include "SqlText.h"
#include "SystemCatalogue.h"
#include "Text.h"
#include "TypeCodec.h"

namespace velmora::tds {

namespace {

// "select x" names its column x; "select 1" and "select count(*)" leave it unnamed, as SQL
// Server does. SQLite names an expression column after its text unless it has an alias.
std::string resultColumnName(sqlite3_stmt* statement, int column,
                             const std::vector<SqlToken>& tokens) {
    const std::string name = sqlite3_column_name(statement, column);
    if (sqlite3_column_origin_name(statement, column) != nullptr)
        return name;
    bool identifier = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
    for (char c : name)
        identifier = identifier && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
    if (identifier && !equalsIgnoringCase(name, "null") && !equalsIgnoringCase(name, "true") &&
        !equalsIgnoringCase(name, "false"))
        return name;
    for (size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].isWord("as") &&
            ((tokens[i + 1].isName() && nameText(tokens[i + 1]) == name) ||
             (tokens[i + 1].kind == SqlTokenKind::String && stringValue(tokens[i + 1]) == name)))
            return name;
    return {};
}

// The type of a column that SQLite knows no declared type of, from the values it holds.
SqlType inferredType(const std::vector<std::vector<Value>>& rows, size_t column) {
    bool text = false, blob = false, real = false, wide = false;
    size_t longest = 1;
    for (const auto& row : rows) {
        const Value& value = row[column];
        switch (value.kind) {
        case ValueKind::Integer:
            wide = wide || value.integer < INT32_MIN || value.integer > INT32_MAX;
            break;
        case ValueKind::Real:
            real = true;
            break;
        case ValueKind::Text:
            text = true;
            longest = std::max(longest, utf8ToUtf16(value.bytes).size() / 2);
            break;
        case ValueKind::Blob:
            blob = true;
            longest = std::max(longest, value.bytes.size());
            break;
        case ValueKind::Null:
            break;
        }
    }
    if (blob)
        return SqlType::of(TypeKind::VarBinary,
                           longest <= 8000 ? static_cast<int>(longest) : maxLength);
    if (text)
        return SqlType::of(TypeKind::NVarChar,
                           longest <= 4000 ? static_cast<int>(longest) : maxLength);
    if (real)
        return SqlType::of(TypeKind::Float);
    return SqlType::of(wide ? TypeKind::BigInt : TypeKind::Int);
}

// An expression's value as its type holds it: character and binary values cut to the type's
// length, as CAST, CONVERT and ISNULL cut them.
Cell fittedCell(const SqlType& type, Cell cell) {
    if (type.isLong() || (cell.kind != ValueKind::Text && cell.kind != ValueKind::Blob))
        return cell;
    const size_t limit = static_cast<size_t>(type.length);
    if (type.isBinary() || cell.kind == ValueKind::Blob) {
        if (cell.bytes.size() > limit)
            cell.bytes = cell.bytes.substr(0, limit);
        return cell;
    }
    if (!type.isCharacter())
        return cell;
    size_t characters = 0;
    for (size_t at = 0; at < cell.bytes.size(); ++at) {
        if ((static_cast<unsigned char>(cell.bytes[at]) & 0xC0) == 0x80)
            continue;
        if (characters++ == limit) {
            cell.bytes = cell.bytes.substr(0, at);
            break;
        }
    }
    return cell;
}

Value fittedValue(const SqlType& type, const Value& value) {
    const Cell cell = fittedCell(type, value.cell());
    Value fitted = value;
    fitted.bytes = std::string(cell.bytes);
    return fitted;
}

bool changesRows(std::string_view statement) {
    const std::vector<SqlToken> tokens = significant(statement);
    return !tokens.empty() &&
           (tokens[0].isWord("insert") || tokens[0].isWord("update") ||
            tokens[0].isWord("delete") || tokens[0].isWord("replace") || tokens[0].isWord("with"));
}

// "master..sp_tables", "dbo.p;1", "[Sales].[p]": the procedure's schema and name.
ObjectName procedureName(const std::string& name) {
    return parseObjectName(name.substr(0, name.find(';')));
}

// A scalar function made with CREATE FUNCTION, as SQLite calls it: its RETURN expression with
// the arguments bound to its parameters.
struct UserFunction {
    Engine& engine;
    std::vector<std::string> parameters;
    std::string expression;
};

void callUserFunction(sqlite3_context* context, int count, sqlite3_value** values) {
    const UserFunction& function = *static_cast<UserFunction*>(sqlite3_user_data(context));
    Bindings bindings;
    for (int i = 0; i < count; ++i)
        bindings[function.parameters[static_cast<size_t>(i)]] = valueOf(values[i]);
    try {
        setResult(context, function.engine.evaluate(function.expression, &bindings));
    } catch (const ServerError& error) {
        sqlite3_result_error(context, error.what(), -1);
    }
}

} // namespace

// The expression of a body that is one RETURN statement.
std::string returnedExpression(const Procedure& function) {
    const std::vector<SqlToken> tokens = significant(function.body);
    if (tokens.empty() || !tokens[0].isWord("return"))
        throw notSupported("a function whose body is more than a RETURN statement");
    return std::string(textFrom(function.body, tokens, 1));
}

Engine::Engine(const DataDirectory& data, const std::string& database, bool azure)
    : data_(data), azure_(azure) {
    open(database);
}

NameScope Engine::nameScope() const {
    return {database_, schemasOf(db_), azure_, true};
}

Engine::~Engine() {
    sqlite3_close_v2(db_);
}

void Engine::open(const std::string& database) {
    sqlite3* db = nullptr;
    // One session, one thread: SQLite need not lock around every call.
    if (sqlite3_open_v2(data_.fileOf(database).c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string message = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        throw ServerError(4060,
                          "Cannot open database \"" + database +
                              "\" requested by the login. The login failed. (" + message + ")",
                          11);
    }
    sqlite3_close_v2(db_);
    db_ = db;
    database_ = database;
    sqlite3_busy_timeout(db_, static_cast<int>(busyTimeout.count()));
    runSqlite(db_, "pragma foreign_keys = on");
    registerFunctions(db_, *this);
    registerUserFunctions();
}

// dbo's scalar functions, under their own names: "dbo.f(x)" is rewritten to "f(x)".
void Engine::registerUserFunctions() {
    SqliteStatement functions(db_, "select definition from tds_procedures where kind = 'FN' and "
                                   "instr(name, '.') = 0");
    while (functions.step()) {
        const Procedure function = parseCreateProcedure(functions.value(0).bytes);
        auto* call = new UserFunction{*this, {}, returnedExpression(function)};
        for (const ProcedureParameter& parameter : function.parameters)
            call->parameters.push_back(parameter.name);
        sqlite3_create_function_v2(db_, function.name.c_str(),
                                   static_cast<int>(function.parameters.size()), SQLITE_UTF8, call,
                                   callUserFunction, nullptr, nullptr,
                                   [](void* data) { delete static_cast<UserFunction*>(data); });
    }
}

void Engine::done(Reply& reply, const Context& context, uint16_t status, uint64_t count) {
    flushDone(reply);
    pendingDone_.emplace(reply.out.tdsVersion());
    writeDone(*pendingDone_, context.done, status, count);
}

// The DONE before another token: with its "more" bit.
void Engine::flushDone(Reply& reply) {
    if (!pendingDone_)
        return;
    std::string bytes(pendingDone_->bytes());
    bytes[1] = static_cast<char>(bytes[1] | doneMore);
    reply.out.raw(bytes);
    pendingDone_.reset();
}

void Engine::endBatch(Reply& reply) {
    if (pendingDone_)
        reply.out.raw(pendingDone_->bytes());
    else
        writeDone(reply.out, tkDone, doneFinal);
    pendingDone_.reset();
}

SqliteText Engine::translate(std::string_view text, bool quotedIdentifiers) const {
    NameScope scope = nameScope();
    scope.quotedIdentifiers = quotedIdentifiers;
    return translateForSqlite(text, scope);
}

namespace {

void offsetLines(std::vector<Statement>& statements, int lines) {
    for (Statement& statement : statements) {
        statement.line += lines;
        offsetLines(statement.body, lines);
    }
}

// Thrown past the statements an error ends the batch before, once it has been reported.
struct BatchEnded {};
// RETURN: the procedure (or the batch) ends here.
struct Returned {
    int status;
};

// An error of a statement at `line`: its line within the batch, and the procedure it ran in.
ServerError placed(ServerError error, const Statement& statement, const std::string& procedure) {
    error.line = error.line > 0 ? statement.line + error.line - 1 : statement.line;
    if (error.procedure.empty())
        error.procedure = procedure;
    return error;
}

} // namespace

void Engine::runBatch(std::string_view sql, Reply& reply) {
    pendingDone_.reset();
    std::vector<Statement> statements;
    try {
        statements = parseBatch(sql, quotedIdentifiers_);
        compile(statements);
    } catch (const ServerError& error) {
        // Nothing of the batch runs.
        reply.message(error);
        return writeDone(reply.out, tkDone, doneError);
    }
    Bindings variables;
    VariableTypes types;
    Context context{tkDone, &variables, {}, &types};
    try {
        runStatements(statements, context, reply);
    } catch (const BatchEnded&) {
    } catch (const Returned&) {
    }
    endBatch(reply);
}

void Engine::compile(const std::vector<Statement>& statements) {
    for (const Statement& statement : statements) {
        try {
            switch (statement.kind) {
            case StatementKind::Sql:
                compileSql(statement);
                break;
            case StatementKind::If:
            case StatementKind::While:
                checkExpression(statement.condition, statement.quotedIdentifiers);
                [[fallthrough]];
            case StatementKind::Block:
                compile(statement.body);
                break;
            case StatementKind::Module:
                if (!statement.startsWith("view", 1) && !statement.startsWith("trigger", 1))
                    compile(parseBatch(parseCreateProcedure(statement.text).body,
                                       statement.quotedIdentifiers));
                break;
            case StatementKind::Server:
                if (statement.startsWith("print"))
                    checkExpression(textFrom(statement.text, statement.tokens, 1),
                                    statement.quotedIdentifiers);
                else if (statement.startsWith("use") && statement.tokens.size() != 2)
                    throw statement.tokens.size() > 2
                        ? syntaxErrorNear(statement.text, statement.tokens[2])
                        : syntaxErrorAtEnd(statement.text, statement.tokens);
                else if (statement.startsWith("exec") || statement.startsWith("execute"))
                    execArguments(statement.tokens, execHead(statement.tokens).arguments, nullptr);
                break;
            }
        } catch (const ServerError& error) {
            if (error.number == 102 || error.number == 156 || error.number == 207 ||
                error.number == 195)
                throw placed(error, statement, {});
            // Names are resolved when the statement runs, as SQL Server defers them.
        }
    }
}

// An expression parses (names are left to run time).
void Engine::checkExpression(std::string_view expression, bool quotedIdentifiers) {
    const std::string select = "select (" + std::string(expression) + ")";
    const SqliteText sql = translate(select, quotedIdentifiers);
    try {
        const AttachedDatabases attached(db_, data_, sql.otherDatabases);
        SqliteStatement prepared(db_, sql.sql);
    } catch (const SqliteError& error) {
        throw sqlServerError(error, select, sql, nameScope(), db_);
    }
}

void Engine::compileSql(const Statement& statement) {
    // DROP PROCEDURE and DROP FUNCTION are the server's own (runSql), not SQLite's to parse;
    // the name is resolved when the statement runs.
    if (statement.startsWith("drop") &&
        (statement.startsWith("procedure", 1) || statement.startsWith("proc", 1) ||
         statement.startsWith("function", 1))) {
        if (statement.tokens.size() < 3)
            throw syntaxErrorAtEnd(statement.text, statement.tokens);
        return;
    }
    const SqliteText sql = translate(statement.text, statement.quotedIdentifiers);
    try {
        const AttachedDatabases attached(db_, data_, sql.otherDatabases);
        SqliteStatement prepared(db_, sql.sql);
    } catch (const SqliteError& error) {
        throw sqlServerError(error, statement.text, sql, nameScope(), db_);
    }
}

void Engine::runStatements(const std::vector<Statement>& statements, Context& context,
                           Reply& reply) {
    for (const Statement& statement : statements)
        runStatement(statement, context, reply);
}

void Engine::runStatement(const Statement& statement, Context& context, Reply& reply) {
    flushDone(reply);
    try {
        switch (statement.kind) {
        case StatementKind::Block:
            return runStatements(statement.body, context, reply);
        case StatementKind::If:
            if (isTrue(statement, context))
                return runStatement(statement.body[0], context, reply);
            if (statement.body.size() > 1)
                return runStatement(statement.body[1], context, reply);
            return;
        case StatementKind::While:
            while (isTrue(statement, context)) {
                if (reply.cancelled())
                    throw Cancelled{};
                runStatement(statement.body[0], context, reply);
            }
            return;
        case StatementKind::Module:
            createModule(statement);
            return done(reply, context, doneFinal);
        case StatementKind::Sql:
            return runSql(statement, context, reply);
        case StatementKind::Server:
            return runSimple(statement, context, reply);
        }
    } catch (const ServerError& error) {
        const ServerError reported = placed(error, statement, context.procedure);
        flushDone(reply);
        reply.message(reported);
        done(reply, context, doneError);
        if (endsBatch(reported))
            throw BatchEnded{};
    }
}

bool Engine::isTrue(const Statement& statement, const Context& context) {
    const Value value =
        evaluate("case when (" + std::string(statement.condition) + ") then 1 else 0 end",
                 context.variables, statement.quotedIdentifiers);
    return value.kind == ValueKind::Integer && value.integer != 0;
}

void Engine::runSimple(const Statement& statement, Context& context, Reply& reply) {
    const std::vector<SqlToken>& tokens = statement.tokens;
    const std::string_view text = statement.text;
    const auto word = [&](size_t i, std::string_view w) { return statement.startsWith(w, i); };
    if (word(0, "print"))
        return print(textFrom(text, tokens, 1), context, reply);
    if (word(0, "use")) {
        const std::string name = nameText(tokens[1]);
        if (azure_ && !equalsIgnoringCase(name, database_))
            throw ServerError(40508, "USE statement is not supported to switch between "
                                     "databases. Use a new connection to connect to a "
                                     "different database.");
        useDatabase(name, reply);
        return done(reply, context, doneFinal);
    }
    if (word(0, "raiserror") || word(0, "throw")) {
        raiseError(textFrom(text, tokens, 1), word(0, "throw"), context, reply);
        if (word(0, "throw"))
            throw BatchEnded{};
        return;
    }
    if (word(0, "set")) {
        setStatement(statement, context);
        return done(reply, context, doneFinal);
    }
    if (word(0, "declare")) {
        declare(statement, context);
        return;
    }
    if (word(0, "return")) {
        const Value status = tokens.size() > 1
                                 ? evaluate(textFrom(text, tokens, 1), context.variables)
                                 : Value::of(int64_t{0});
        throw Returned{static_cast<int>(status.integer)};
    }
    if (word(0, "waitfor")) {
        if (!word(1, "delay") || tokens.size() != 3 || tokens[2].kind != SqlTokenKind::String)
            throw notSupported("WAITFOR other than WAITFOR DELAY 'time'");
        waitFor(stringValue(tokens[2]), reply);
        return done(reply, context, doneFinal);
    }
    if (word(0, "begin") || word(0, "commit") || word(0, "rollback") || word(0, "save")) {
        transactionStatement(tokens[0].text, reply);
        return done(reply, context, doneFinal);
    }
    if (word(0, "create") && word(1, "schema")) {
        createSchema(tokens);
        return done(reply, context, doneFinal);
    }
    if (word(0, "truncate") && word(1, "table")) {
        const SqliteText table = translate(textFrom(text, tokens, 2), statement.quotedIdentifiers);
        const AttachedDatabases attached(db_, data_, table.otherDatabases);
        SqliteStatement deletion(db_, "delete from " + table.sql);
        deletion.step();
        return done(reply, context, doneFinal);
    }
    if (word(0, "exec") || word(0, "execute") || !isReservedKeyword(tokens[0].text))
        return execStatement(statement, context, reply);
    throw notSupported(std::string(tokens[0].text));
}

void Engine::runSql(const Statement& statement, const Context& context, Reply& reply) {
    const std::vector<SqlToken>& tokens = statement.tokens;
    if (statement.startsWith("drop") &&
        (statement.startsWith("procedure", 1) || statement.startsWith("proc", 1) ||
         statement.startsWith("function", 1))) {
        dropProcedure(parseObjectName(textFrom(statement.text, tokens, 2)).stored());
        return done(reply, context, doneFinal);
    }
    if (statement.startsWith("drop") && statement.startsWith("view", 1)) {
        dropView(statement.text, tokens);
        return done(reply, context, doneFinal);
    }
    if (statement.startsWith("select") && tokens.size() > 2 &&
        tokens[1].kind == SqlTokenKind::Variable && tokens[2].isSymbol('='))
        return assignFromSelect(statement, context, reply);
    const SqliteText sql = translate(statement.text, statement.quotedIdentifiers);
    try {
        const AttachedDatabases attached(db_, data_, sql.otherDatabases);
        SqliteStatement prepared(db_, sql.sql);
        if (prepared.empty())
            return done(reply, context, doneFinal);
        if (context.variables != nullptr)
            prepared.bind(*context.variables);
        if (prepared.columns() > 0)
            return sendQueryResult(prepared, statement, context, reply);
        try {
            while (prepared.step()) {
            }
        } catch (const SqliteError& error) {
            if (!isDuplicateKey(error))
                throw;
            throw sqlServerError(error, statement.text, sql, nameScope(), db_,
                                 duplicateKeyValue(db_, prepared, error));
        }
        const bool counted = !noCount_ && changesRows(statement.text);
        done(reply, context, counted ? doneCount : doneFinal,
             counted ? static_cast<uint64_t>(sqlite3_changes64(db_)) : 0);
    } catch (const SqliteError& error) {
        throw sqlServerError(error, statement.text, sql, nameScope(), db_);
    }
}

// SELECT @a = expression, @b = expression [FROM ...]: the variables take the last row's values.
void Engine::assignFromSelect(const Statement& statement, const Context& context, Reply& reply) {
    std::vector<std::string> targets;
    std::string select = "select ";
    const std::vector<SqlToken>& tokens = statement.tokens;
    size_t i = 1;
    while (i + 1 < tokens.size() && tokens[i].kind == SqlTokenKind::Variable &&
           tokens[i + 1].isSymbol('=')) {
        targets.emplace_back(tokens[i].text);
        const char* from = tokens[i + 2 < tokens.size() ? i + 2 : i + 1].text.data();
        int depth = 0;
        for (i += 2; i < tokens.size(); ++i) {
            depth += tokens[i].isSymbol('(') ? 1 : tokens[i].isSymbol(')') ? -1 : 0;
            if (depth == 0 && (tokens[i].isSymbol(',') || tokens[i].isWord("from")))
                break;
        }
        const char* to = i < tokens.size() ? tokens[i].text.data() : statement.text.end();
        select += std::string(from, static_cast<size_t>(to - from));
        if (i < tokens.size() && tokens[i].isSymbol(',')) {
            select += ", ";
            ++i;
        }
    }
    if (i < tokens.size())
        select += std::string(textFrom(statement.text, tokens, i));
    const SqliteText sql = translate(select, statement.quotedIdentifiers);
    uint64_t rows = 0;
    try {
        const AttachedDatabases attached(db_, data_, sql.otherDatabases);
        SqliteStatement prepared(db_, sql.sql);
        prepared.bind(*context.variables);
        while (prepared.step()) {
            ++rows;
            for (size_t t = 0; t < targets.size(); ++t)
                assignVariable(*context.variables, targets[t], prepared.value(static_cast<int>(t)));
        }
    } catch (const SqliteError& error) {
        throw sqlServerError(error, select, sql, nameScope(), db_);
    }
    done(reply, context, noCount_ ? doneFinal : doneCount, rows);
}

std::optional<SqlType> Engine::variableType(const Context& context, const std::string& name) {
    if (context.types == nullptr)
        return std::nullopt;
    const auto found = context.types->find(lowerAscii(name));
    if (found == context.types->end())
        return std::nullopt;
    return found->second;
}

std::vector<std::optional<SqlType>> Engine::declaredTypes(const std::string& query,
                                                          bool quotedIdentifiers) {
    try {
        const SqliteText sql = translate(query, quotedIdentifiers);
        const AttachedDatabases attached(db_, data_, sql.otherDatabases);
        SqliteStatement prepared(db_, sql.sql);
        std::vector<std::optional<SqlType>> types;
        for (int i = 0; i < prepared.columns(); ++i) {
            const char* declared = sqlite3_column_decltype(prepared.get(), i);
            types.push_back(declared != nullptr ? parseDeclaredType(declared) : std::nullopt);
        }
        return types;
    } catch (const ServerError&) {
        return {};
    }
}

void Engine::sendQueryResult(SqliteStatement& statement, const Statement& source,
                             const Context& context, Reply& reply) {
    const std::string_view text = source.text;
    const std::vector<SqlToken> tokens = significant(text, source.quotedIdentifiers);
    sqlite3_stmt* handle = statement.get();
    const size_t count = static_cast<size_t>(statement.columns());
    std::vector<ResultColumn> columns(count);
    std::vector<std::optional<SqlType>> declared(count);
    // A compound SELECT's columns take every branch's types; SQLite declares the first's.
    const bool compound = isCompoundSelect(text, source.quotedIdentifiers);
    bool expressions = compound;
    for (size_t i = 0; i < count; ++i) {
        const char* type = sqlite3_column_decltype(handle, static_cast<int>(i));
        declared[i] = parseDeclaredType(type != nullptr ? type : "");
        expressions = expressions || !declared[i];
    }
    std::vector<std::optional<SqlType>> derived(count);
    if (expressions) {
        const TypeSources sources{
            [&](const std::string& probe) {
                return declaredTypes(probe, source.quotedIdentifiers);
            },
            [&](const std::string& name) { return variableType(context, name); }};
        derived = resultTypes(text, count, source.quotedIdentifiers, sources);
    }
    bool typed = true;
    std::vector<bool> fitted(count, false); // an expression's value is cut to its type
    for (size_t i = 0; i < count; ++i) {
        const int c = static_cast<int>(i);
        ResultColumn& column = columns[i];
        column.name = resultColumnName(handle, c, tokens);
        if (derived[i] && (compound || !declared[i])) {
            column.type = *derived[i];
            fitted[i] = true;
        } else {
            typed = typed && declared[i].has_value();
            column.type = declared[i].value_or(SqlType::of(TypeKind::Int));
        }
        const char* table = sqlite3_column_table_name(handle, c);
        const char* origin = sqlite3_column_origin_name(handle, c);
        int notNull = 0, primaryKey = 0, autoIncrement = 0;
        if (table != nullptr && origin != nullptr &&
            sqlite3_table_column_metadata(db_, sqlite3_column_database_name(handle, c), table,
                                          origin, nullptr, nullptr, &notNull, &primaryKey,
                                          &autoIncrement) == SQLITE_OK) {
            column.nullable = notNull == 0 && primaryKey == 0;
            column.writable = true;
            column.type.identity = autoIncrement != 0 && !compound;
        }
    }
    if (!typed) {
        // Types come from the values: the rows are read first.
        ResultTable table{columns, {}};
        while (statement.step()) {
            table.rows.emplace_back();
            for (int i = 0; i < statement.columns(); ++i)
                table.rows.back().push_back(statement.value(i));
        }
        for (size_t i = 0; i < count; ++i) {
            if (fitted[i])
                for (auto& row : table.rows)
                    row[i] = fittedValue(table.columns[i].type, row[i]);
            else if (!declared[i])
                table.columns[i].type = inferredType(table.rows, i);
        }
        return sendTable(table, context, reply);
    }
    bool more = statement.step();
    sendResult(
        columns,
        [&](TokenWriter& row) {
            if (!more)
                return false;
            for (size_t i = 0; i < count; ++i) {
                const Cell cell = statement.cell(static_cast<int>(i));
                writeValue(row, columns[i].type,
                           fitted[i] ? fittedCell(columns[i].type, cell) : cell);
            }
            more = statement.step();
            return true;
        },
        context, reply);
}

void Engine::sendTable(const ResultTable& table, const Context& context, Reply& reply) {
    size_t next = 0;
    sendResult(
        table.columns,
        [&](TokenWriter& row) {
            if (next == table.rows.size())
                return false;
            const std::vector<Value>& values = table.rows[next++];
            for (size_t i = 0; i < values.size(); ++i)
                writeValue(row, table.columns[i].type, values[i].cell());
            return true;
        },
        context, reply);
}

template <typename WriteRow>
void Engine::sendResult(const std::vector<ResultColumn>& columns, WriteRow writeRow,
                        const Context& context, Reply& reply) {
    writeColumnMetadata(reply.out, columns);
    uint64_t count = 0;
    TokenWriter row = reply.out.sibling();
    try {
        while (true) {
            row.clear();
            row.u8(tkRow);
            if (!writeRow(row))
                break;
            reply.out.raw(row.bytes());
            reply.rowWritten(++count);
        }
    } catch (const ServerError& error) {
        reply.message(error);
        return done(reply, context, doneError | doneCount, count);
    }
    done(reply, context, noCount_ ? doneFinal : doneCount, count);
}

void Engine::runProcedure(const std::string& name, const std::vector<Argument>& arguments,
                          Reply& reply, bool more) {
    pendingDone_.reset();
    std::vector<Argument> call = arguments;
    try {
        callProcedure(name, call, reply, true);
    } catch (const BatchEnded&) {
    }
    flushDone(reply);
    const uint16_t moreFlag = more ? doneMore : doneFinal;
    writeDone(reply.out, tkDoneProc, moreFlag);
}

// A procedure's run as a client sees it: its statements (DONEINPROC), its return status and
// OUTPUT values, its DONEPROC (left to the caller).
void Engine::callProcedure(const std::string& name, std::vector<Argument>& arguments, Reply& reply,
                           bool rpc) {
    const ObjectName procedure = procedureName(name);
    const bool system = procedure.inDbo() || equalsIgnoringCase(procedure.schema, "sys");
    int status = 0;
    try {
        if (system && equalsIgnoringCase(procedure.name, "sp_executesql")) {
            if (arguments.empty() || arguments[0].value.kind != ValueKind::Text)
                throw ServerError(214, "Procedure expects parameter '@statement' of type "
                                       "'ntext/nchar/nvarchar'.");
            runExecuteSql(arguments[0].value.bytes,
                          arguments.size() > 1 ? arguments[1].value.bytes : std::string(),
                          arguments, 2, reply);
        } else if (system && isPreparingProcedure(procedure.name)) {
            runPreparing(lowerAscii(procedure.name), arguments, reply);
        } else if (system && isCatalogueProcedure(procedure.name)) {
            for (const ResultTable& table : runCatalogueProcedure(procedure.name, arguments, *this))
                sendTable(table, {tkDoneInProc, nullptr, {}, nullptr}, reply);
        } else {
            status = runUserProcedure(procedure.stored(), arguments, reply);
        }
    } catch (const ServerError& error) {
        flushDone(reply);
        reply.message(error);
        if (endsBatch(error))
            throw BatchEnded{};
        status = error.number == 2812 ? 0 : -6;
    }
    flushDone(reply);
    lastReturnStatus_ = Value::of(int64_t{status});
    writeReturnStatus(reply.out, status);
    // RETURNVALUE answers an RPC's parameters only ("Return Parameters", MS-TDS 2.2.2.6). A
    // value holds to its parameter's type as an assignment to it would (a longer text is cut);
    // one the type cannot take is an error, not half a token.
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (!rpc || !arguments[i].output)
            continue;
        TokenWriter value = reply.out.sibling();
        try {
            writeReturnValue(value, static_cast<uint16_t>(i), arguments[i].name, arguments[i].type,
                             fittedValue(arguments[i].type, arguments[i].value).cell());
            reply.out.raw(value.bytes());
        } catch (const ServerError& error) {
            reply.message(error);
        }
    }
}

int Engine::runUserProcedure(const std::string& name, std::vector<Argument>& arguments,
                             Reply& reply) {
    SqliteStatement lookup(db_, "select definition from tds_procedures where name = ?1 and kind "
                                "= 'P'");
    lookup.bind(1, Value::text(name));
    if (!lookup.step())
        throw ServerError(2812, "Could not find stored procedure '" + name + "'.");
    const std::string definition = lookup.value(0).bytes;
    lookup.finish();
    const Procedure procedure = parseCreateProcedure(definition);
    Bindings bindings;
    std::vector<const ProcedureParameter*> parameterOf(arguments.size(), nullptr);
    size_t position = 0;
    for (size_t a = 0; a < arguments.size(); ++a) {
        Argument& argument = arguments[a];
        const ProcedureParameter* parameter = nullptr;
        if (argument.name.empty()) {
            if (position >= procedure.parameters.size())
                throw ServerError(8144, "Procedure or function " + name +
                                            " has too many arguments specified.");
            parameter = &procedure.parameters[position++];
        } else {
            for (const ProcedureParameter& candidate : procedure.parameters)
                if (equalsIgnoringCase(candidate.name, argument.name))
                    parameter = &candidate;
            if (parameter == nullptr)
                throw ServerError(8145, argument.name + " is not a parameter for procedure " +
                                            name + ".");
        }
        bindings[parameter->name] = argument.value;
        parameterOf[a] = parameter;
        argument.output = argument.output && parameter->output;
        argument.type = parameter->type;
        if (argument.name.empty())
            argument.name = parameter->name;
    }
    VariableTypes types;
    for (const ProcedureParameter& parameter : procedure.parameters)
        types[lowerAscii(parameter.name)] = parameter.type;
    Context inProcedure{tkDoneInProc, &bindings, objectOfStoredName(name).name, &types};
    for (const ProcedureParameter& parameter : procedure.parameters) {
        if (bindings.count(parameter.name) != 0)
            continue;
        if (!parameter.defaultValue)
            throw ServerError(201, "Procedure or function '" + name + "' expects parameter '" +
                                       parameter.name + "', which was not supplied.");
        bindings[parameter.name] = evaluate(*parameter.defaultValue, &bindings);
    }
    // The body's lines are counted from the definition's first.
    std::vector<Statement> body = parseBatch(procedure.body, true);
    const int bodyLine = lineAt(definition, definition.data() + definition.find(procedure.body));
    offsetLines(body, bodyLine - 1);
    int status = 0;
    try {
        runStatements(body, inProcedure, reply);
    } catch (const Returned& returned) {
        status = returned.status;
    }
    for (size_t a = 0; a < arguments.size(); ++a)
        if (arguments[a].output)
            arguments[a].value = bindings[parameterOf[a]->name];
    return status;
}

namespace {

// A declaration of sp_executesql's @params: "@P2 int OUTPUT".
struct DeclaredParameter {
    std::string name;
    std::optional<SqlType> type;
    bool output = false;
};

std::vector<DeclaredParameter> declaredParameters(std::string_view declarations) {
    std::vector<DeclaredParameter> declared;
    const std::vector<SqlToken> tokens = significant(declarations);
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i <= tokens.size(); ++i) {
        if (i < tokens.size()) {
            depth += tokens[i].isSymbol('(') ? 1 : tokens[i].isSymbol(')') ? -1 : 0;
            if (depth != 0 || !tokens[i].isSymbol(','))
                continue;
        }
        if (start < i && tokens[start].kind == SqlTokenKind::Variable) {
            DeclaredParameter parameter{std::string(tokens[start].text), std::nullopt, false};
            size_t typeEnd = i;
            if (typeEnd > start + 1 &&
                (tokens[typeEnd - 1].isWord("output") || tokens[typeEnd - 1].isWord("out"))) {
                parameter.output = true;
                --typeEnd;
            }
            if (typeEnd > start + 1) {
                const char* from = tokens[start + 1].text.data();
                const SqlToken& last = tokens[typeEnd - 1];
                parameter.type = parseDeclaredType(lowerAscii(std::string_view(
                    from, static_cast<size_t>(last.text.data() + last.text.size() - from))));
            }
            declared.push_back(std::move(parameter));
        }
        start = i + 1;
    }
    return declared;
}

} // namespace

bool Engine::isPreparingProcedure(std::string_view name) {
    for (std::string_view known : {"sp_prepare", "sp_execute", "sp_prepexec", "sp_unprepare"})
        if (equalsIgnoringCase(name, known))
            return true;
    return false;
}

// sp_prepare @handle OUTPUT, @params, @stmt; sp_execute @handle, values...; sp_prepexec
// @handle OUTPUT, @params, @stmt, values...; sp_unprepare @handle ("sp_prepexec", ...): the
// statement is kept under its handle for the session, and runs as sp_executesql runs it. The
// handle of sp_prepexec comes back before the statement's results, as the clients expect it.
void Engine::runPreparing(const std::string& name, std::vector<Argument>& arguments, Reply& reply) {
    const auto handleOf = [&](const Argument& argument) {
        const auto found = argument.value.kind == ValueKind::Integer
                               ? prepared_.find(static_cast<int>(argument.value.integer))
                               : prepared_.end();
        if (found == prepared_.end())
            throw ServerError(8179, "Could not find prepared statement with handle " +
                                        (argument.value.kind == ValueKind::Integer
                                             ? std::to_string(argument.value.integer)
                                             : std::string("NULL")) +
                                        ".");
        return found;
    };
    if (arguments.empty())
        throw ServerError(201, "Procedure or function '" + name +
                                   "' expects parameter '@handle', which was not supplied.");
    if (name == "sp_unprepare") {
        prepared_.erase(handleOf(arguments[0]));
        return;
    }
    if (name == "sp_execute") {
        const auto found = handleOf(arguments[0]);
        const auto [declarations, statement] = found->second;
        return runExecuteSql(statement, declarations, arguments, 1, reply);
    }
    if (arguments.size() < 3 || arguments[2].value.kind != ValueKind::Text)
        throw ServerError(214, "Procedure expects parameter '@stmt' of type "
                               "'ntext/nchar/nvarchar'.");
    const int handle = nextHandle_++;
    const std::string declarations =
        arguments[1].value.kind == ValueKind::Text ? arguments[1].value.bytes : std::string();
    prepared_[handle] = {declarations, arguments[2].value.bytes};
    Argument& handleArgument = arguments[0];
    handleArgument.value = Value::of(int64_t{handle});
    handleArgument.type = SqlType::of(TypeKind::Int);
    if (handleArgument.name.empty())
        handleArgument.name = "@handle";
    if (name == "sp_prepare") {
        compile(parseBatch(arguments[2].value.bytes, quotedIdentifiers_));
        return;
    }
    if (handleArgument.output) {
        writeReturnValue(reply.out, 0, handleArgument.name, handleArgument.type,
                         handleArgument.value.cell());
        handleArgument.output = false;
    }
    runExecuteSql(arguments[2].value.bytes, declarations, arguments, 3, reply);
}

// sp_executesql's statement with its @params declarations and the values from `firstValue`
// on: values without a name take the names @params declares, in order ("@P1 INT,@P2
// NVARCHAR(20) OUTPUT"); an OUTPUT value is the variable's when the statement ends.
void Engine::runExecuteSql(const std::string& statementText, const std::string& declarations,
                           std::vector<Argument>& arguments, size_t firstValue, Reply& reply) {
    const std::vector<DeclaredParameter> declared = declaredParameters(declarations);
    Bindings bindings;
    VariableTypes types;
    for (const DeclaredParameter& parameter : declared) {
        bindings[parameter.name] = Value::null();
        if (parameter.type)
            types[lowerAscii(parameter.name)] = *parameter.type;
    }
    std::vector<std::string> names;
    for (size_t i = firstValue; i < arguments.size(); ++i) {
        Argument& argument = arguments[i];
        const DeclaredParameter* parameter = nullptr;
        if (argument.name.empty() && i - firstValue < declared.size())
            parameter = &declared[i - firstValue];
        for (const DeclaredParameter& candidate : declared)
            if (!argument.name.empty() && equalsIgnoringCase(candidate.name, argument.name))
                parameter = &candidate;
        if (parameter == nullptr)
            throw ServerError(8145,
                              (argument.name.empty() ? std::string("A value") : argument.name) +
                                  " is not a parameter for procedure sp_executesql.");
        bindings[parameter->name] = argument.value;
        argument.name = parameter->name;
        argument.output = argument.output && parameter->output;
        if (parameter->type)
            argument.type = *parameter->type;
        names.push_back(parameter->name);
    }
    const std::vector<Statement> statements = parseBatch(statementText, quotedIdentifiers_);
    compile(statements);
    Context context{tkDoneInProc, &bindings, {}, &types};
    try {
        runStatements(statements, context, reply);
    } catch (const Returned&) {
    }
    for (size_t i = firstValue; i < arguments.size(); ++i)
        if (arguments[i].output)
            arguments[i].value = bindings[names[i - firstValue]];
}

} // namespace velmora::tds
