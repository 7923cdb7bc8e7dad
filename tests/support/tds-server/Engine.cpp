#include "Engine.h"

#include "CatalogueProcedures.h"
#include "Functions.h"
#include "Procedures.h"
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

bool changesRows(std::string_view statement) {
    const std::vector<SqlToken> tokens = significant(statement);
    return !tokens.empty() &&
           (tokens[0].isWord("insert") || tokens[0].isWord("update") ||
            tokens[0].isWord("delete") || tokens[0].isWord("replace") || tokens[0].isWord("with"));
}

// The text of a statement from its `index`th significant token on.
std::string_view textFrom(std::string_view statement, const std::vector<SqlToken>& tokens,
                          size_t index) {
    if (index >= tokens.size())
        return {};
    return statement.substr(static_cast<size_t>(tokens[index].text.data() - statement.data()));
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
    sqlite3_busy_timeout(db_, 10'000);
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

void Engine::done(Reply& reply, const Context& context, uint16_t status, uint64_t count) const {
    writeDone(reply.out, context.done,
              static_cast<uint16_t>(status | (context.more ? doneMore : 0)), count);
}

void Engine::runBatch(std::string_view sql, Reply& reply) {
    const std::vector<std::string_view> statements = splitStatements(sql);
    if (statements.empty())
        return writeDone(reply.out, tkDone, doneFinal);
    for (size_t i = 0; i < statements.size(); ++i)
        runStatement(statements[i], i == 0, {tkDone, i + 1 < statements.size(), nullptr}, reply);
}

void Engine::runStatement(std::string_view statement, bool firstOfBatch, const Context& context,
                          Reply& reply) {
    const std::vector<SqlToken> tokens = significant(statement);
    const auto word = [&](size_t i, std::string_view w) {
        return i < tokens.size() && tokens[i].isWord(w);
    };
    try {
        if (tokens.empty())
            return done(reply, context, doneFinal);
        if (word(0, "print"))
            return print(textFrom(statement, tokens, 1), context, reply);
        if (word(0, "use")) {
            const std::string name = tokens.size() > 1 ? nameText(tokens[1]) : "";
            if (azure_ && !equalsIgnoringCase(name, database_))
                throw ServerError(40508, "USE statement is not supported to switch between "
                                         "databases. Use a new connection to connect to a "
                                         "different database.");
            useDatabase(name, reply);
            return done(reply, context, doneFinal);
        }
        if (word(0, "raiserror") || word(0, "throw"))
            return raiseError(textFrom(statement, tokens, 1), word(0, "throw"), context, reply);
        if (word(0, "set")) {
            setOption(tokens);
            return done(reply, context, doneFinal);
        }
        if (word(0, "exec") || word(0, "execute"))
            return execStatement(textFrom(statement, tokens, 1), context, reply);
        if (word(0, "waitfor")) {
            if (!word(1, "delay") || tokens.size() < 3)
                throw notSupported("WAITFOR other than WAITFOR DELAY");
            waitFor(stringValue(tokens[2]), reply);
            return done(reply, context, doneFinal);
        }
        if (word(0, "begin") || word(0, "commit") || word(0, "rollback") || word(0, "save")) {
            transactionStatement(tokens[0].text, reply);
            return done(reply, context, doneFinal);
        }
        if (word(0, "declare"))
            throw notSupported("DECLARE (variables)");
        if (word(0, "create") && (word(1, "procedure") || word(1, "proc") || word(1, "function"))) {
            createProcedure(statement);
            return done(reply, context, doneFinal);
        }
        if (word(0, "create") && word(1, "schema")) {
            createSchema(tokens);
            return done(reply, context, doneFinal);
        }
        if (word(0, "create") && word(1, "view")) {
            createView(statement, tokens);
            return done(reply, context, doneFinal);
        }
        if (word(0, "drop") && word(1, "view")) {
            dropView(statement, tokens);
            return done(reply, context, doneFinal);
        }
        if (word(0, "drop") && (word(1, "procedure") || word(1, "proc") || word(1, "function")) &&
            tokens.size() > 2) {
            dropProcedure(parseObjectName(textFrom(statement, tokens, 2)).stored());
            return done(reply, context, doneFinal);
        }
        if (word(0, "truncate") && word(1, "table")) {
            const SqliteText table =
                translateForSqlite(textFrom(statement, tokens, 2), nameScope());
            const AttachedDatabases attached(db_, data_, table.otherDatabases);
            SqliteStatement deletion(db_, "delete from " + table.sql);
            deletion.step();
            return done(reply, context, doneFinal);
        }
        if (firstOfBatch && tokens[0].kind == SqlTokenKind::Word &&
            !startsSqlStatement(tokens[0].text))
            return execStatement(statement, context, reply);
        runSql(statement, context, reply);
    } catch (const ServerError& error) {
        reply.message(error);
        done(reply, context, doneError);
    }
}

void Engine::runSql(std::string_view statement, const Context& context, Reply& reply) {
    const SqliteText sql = translateForSqlite(statement, nameScope());
    const AttachedDatabases attached(db_, data_, sql.otherDatabases);
    SqliteStatement prepared(db_, sql.sql);
    if (prepared.empty())
        return done(reply, context, doneFinal);
    if (context.bindings != nullptr)
        prepared.bind(*context.bindings);
    if (prepared.columns() > 0)
        return sendQueryResult(prepared, statement, context, reply);
    while (prepared.step()) {
    }
    const bool counted = !noCount_ && changesRows(statement);
    done(reply, context, counted ? doneCount : doneFinal,
         counted ? static_cast<uint64_t>(sqlite3_changes64(db_)) : 0);
}

void Engine::sendQueryResult(SqliteStatement& statement, std::string_view text,
                             const Context& context, Reply& reply) {
    const std::vector<SqlToken> tokens = significant(text);
    sqlite3_stmt* handle = statement.get();
    std::vector<ResultColumn> columns(static_cast<size_t>(statement.columns()));
    bool typed = true;
    for (int i = 0; i < statement.columns(); ++i) {
        ResultColumn& column = columns[static_cast<size_t>(i)];
        column.name = resultColumnName(handle, i, tokens);
        const char* declared = sqlite3_column_decltype(handle, i);
        const auto type = parseDeclaredType(declared != nullptr ? declared : "");
        typed = typed && type.has_value();
        column.type = type.value_or(SqlType::of(TypeKind::Int));
        const char* table = sqlite3_column_table_name(handle, i);
        const char* origin = sqlite3_column_origin_name(handle, i);
        int notNull = 0, primaryKey = 0, autoIncrement = 0;
        if (table != nullptr && origin != nullptr &&
            sqlite3_table_column_metadata(db_, sqlite3_column_database_name(handle, i), table,
                                          origin, nullptr, nullptr, &notNull, &primaryKey,
                                          &autoIncrement) == SQLITE_OK) {
            column.nullable = notNull == 0 && primaryKey == 0;
            column.writable = true;
            column.type.identity = autoIncrement != 0;
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
        for (int i = 0; i < statement.columns(); ++i)
            if (sqlite3_column_decltype(handle, i) == nullptr ||
                !parseDeclaredType(sqlite3_column_decltype(handle, i)))
                table.columns[static_cast<size_t>(i)].type =
                    inferredType(table.rows, static_cast<size_t>(i));
        return sendTable(table, context, reply);
    }
    bool more = statement.step();
    sendResult(
        columns,
        [&](WireWriter& row) {
            if (!more)
                return false;
            for (int i = 0; i < statement.columns(); ++i)
                writeValue(row, columns[static_cast<size_t>(i)].type, statement.cell(i));
            more = statement.step();
            return true;
        },
        context, reply);
}

void Engine::sendTable(const ResultTable& table, const Context& context, Reply& reply) {
    size_t next = 0;
    sendResult(
        table.columns,
        [&](WireWriter& row) {
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
    WireWriter row;
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
    const ObjectName procedure = procedureName(name);
    const bool system = procedure.inDbo() || equalsIgnoringCase(procedure.schema, "sys");
    const uint16_t moreFlag = more ? doneMore : doneFinal;
    try {
        if (system && equalsIgnoringCase(procedure.name, "sp_executesql")) {
            runExecuteSql(arguments, reply);
        } else if (system && isCatalogueProcedure(procedure.name)) {
            for (const ResultTable& table : runCatalogueProcedure(procedure.name, arguments, *this))
                sendTable(table, {tkDoneInProc, true, nullptr}, reply);
        } else {
            runUserProcedure(procedure.stored(), arguments, reply);
        }
    } catch (const ServerError& error) {
        reply.message(error);
        return writeDone(reply.out, tkDoneProc, static_cast<uint16_t>(doneError | moreFlag));
    }
    writeReturnStatus(reply.out, 0);
    writeDone(reply.out, tkDoneProc, moreFlag);
}

void Engine::runUserProcedure(const std::string& name, const std::vector<Argument>& arguments,
                              Reply& reply) {
    SqliteStatement lookup(db_, "select definition from tds_procedures where name = ?1 and kind "
                                "= 'P'");
    lookup.bind(1, Value::text(name));
    if (!lookup.step())
        throw ServerError(2812, "Could not find stored procedure '" + name + "'.");
    const Procedure procedure = parseCreateProcedure(lookup.value(0).bytes);
    Bindings bindings;
    size_t position = 0;
    for (const Argument& argument : arguments) {
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
    }
    const Context inProcedure{tkDoneInProc, true, &bindings};
    for (const ProcedureParameter& parameter : procedure.parameters) {
        if (bindings.count(parameter.name) != 0)
            continue;
        if (!parameter.defaultValue)
            throw ServerError(201, "Procedure or function '" + name + "' expects parameter '" +
                                       parameter.name + "', which was not supplied.");
        bindings[parameter.name] = evaluate(*parameter.defaultValue, inProcedure.bindings);
    }
    for (std::string_view statement : splitStatements(procedure.body))
        runStatement(statement, false, inProcedure, reply);
}

// sp_executesql @statement, @parameters, values...: values without a name take the names
// that @parameters declares, in order ("@P1 INT,@P2 NVARCHAR(20)").
void Engine::runExecuteSql(const std::vector<Argument>& arguments, Reply& reply) {
    if (arguments.empty() || arguments[0].value.kind != ValueKind::Text)
        throw ServerError(214, "Procedure expects parameter '@statement' of type "
                               "'ntext/nchar/nvarchar'.");
    std::vector<std::string> declared;
    if (arguments.size() > 1) {
        int depth = 0;
        bool expectName = true;
        for (const SqlToken& token : significant(arguments[1].value.bytes)) {
            depth += token.isSymbol('(') ? 1 : token.isSymbol(')') ? -1 : 0;
            if (expectName && token.kind == SqlTokenKind::Variable)
                declared.emplace_back(token.text);
            expectName = depth == 0 && token.isSymbol(',');
        }
    }
    Bindings bindings;
    for (size_t i = 2; i < arguments.size(); ++i) {
        std::string name = arguments[i].name;
        if (name.empty() && i - 2 < declared.size())
            name = declared[i - 2];
        bindings[name] = arguments[i].value;
    }
    for (std::string_view statement : splitStatements(arguments[0].value.bytes))
        runStatement(statement, false, {tkDoneInProc, true, &bindings}, reply);
}

} // namespace velmora::tds
