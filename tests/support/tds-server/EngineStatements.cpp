// The statements the server runs itself rather than hand to SQLite: EXEC, PRINT, RAISERROR and
// THROW, SET, WAITFOR, USE, transactions, CREATE and DROP PROCEDURE.
#include "Conversions.h"
#include "Engine.h"
#include "Procedures.h"
#include "SqlErrors.h"
#include "SystemCatalogue.h"
#include "Text.h"

#include <chrono>
#include <thread>

namespace velmora::tds {

namespace {

// Hours, minutes, seconds and milliseconds of WAITFOR DELAY's 'hh:mm[:ss[.mmm]]'.
std::chrono::milliseconds delayOf(const std::string& text) {
    const std::optional<Timestamp> stamp = parseTimestamp(text);
    if (!stamp)
        throw ServerError(148,
                          "Incorrect time syntax in time string '" + text + "' used with WAITFOR.");
    return std::chrono::milliseconds(stamp->ticks100 / 10'000);
}

} // namespace

ExecHead execHead(const std::vector<SqlToken>& tokens) {
    ExecHead head;
    size_t i = !tokens.empty() && (tokens[0].isWord("exec") || tokens[0].isWord("execute"));
    if (i + 2 < tokens.size() && tokens[i].kind == SqlTokenKind::Variable &&
        tokens[i + 1].isSymbol('=')) {
        head.status = std::string(tokens[i].text);
        i += 2;
    }
    for (bool expectName = true; i < tokens.size(); ++i) {
        if (tokens[i].isSymbol('.') || tokens[i].isSymbol(';'))
            head.procedure += tokens[i].text;
        else if (expectName && (tokens[i].isName() || tokens[i].kind == SqlTokenKind::Number))
            head.procedure += nameText(tokens[i]);
        else
            break;
        expectName = tokens[i].isSymbol('.') || tokens[i].isSymbol(';');
    }
    if (head.procedure.empty())
        throw tokens.size() > i ? syntaxErrorNear(tokens[i].text, tokens[i])
                                : syntaxErrorAtEnd(tokens.back().text, tokens);
    head.arguments = i;
    return head;
}

// EXEC [@status =] name [argument [OUTPUT], ...], or a procedure's name first in a batch: the
// procedure's run, its return status and OUTPUT values kept in the caller's variables.
void Engine::execStatement(const Statement& statement, Context& context, Reply& reply) {
    const std::vector<SqlToken>& tokens = statement.tokens;
    const ExecHead head = execHead(tokens);
    std::vector<Argument> arguments = execArguments(tokens, head.arguments, &context);
    const std::string& name = head.procedure;
    const std::string& status = head.status;
    callProcedure(name, arguments, reply, false);
    flushDone(reply);
    for (const Argument& argument : arguments)
        if (argument.output && !argument.outputTo.empty())
            assignVariable(*context.variables, argument.outputTo, argument.value);
    if (!status.empty())
        assignVariable(*context.variables, status, lastReturnStatus_);
    done(reply, context, doneFinal);
}

std::vector<Argument> Engine::execArguments(const std::vector<SqlToken>& tokens, size_t i,
                                            const Context* context) {
    std::vector<Argument> arguments;
    while (i < tokens.size()) {
        Argument argument;
        if (i + 1 < tokens.size() && tokens[i].kind == SqlTokenKind::Variable &&
            tokens[i + 1].isSymbol('=')) {
            argument.name = std::string(tokens[i].text);
            i += 2;
        }
        const bool negative = i < tokens.size() && tokens[i].isSymbol('-');
        if (negative)
            ++i;
        if (i >= tokens.size())
            throw syntaxErrorAtEnd(tokens.back().text, tokens);
        const SqlToken& value = tokens[i++];
        bool omitted = false;
        if (value.kind == SqlTokenKind::String) {
            argument.value = Value::text(stringValue(value));
        } else if (value.kind == SqlTokenKind::Number) {
            if (context != nullptr)
                argument.value = evaluate((negative ? "-" : "") + std::string(value.text), nullptr);
        } else if (value.isWord("null")) {
            argument.value = Value::null();
        } else if (value.isWord("default")) {
            omitted = true;
        } else if (value.kind == SqlTokenKind::Variable) {
            argument.outputTo = std::string(value.text);
            if (context != nullptr)
                argument.value = evaluate(value.text, context->variables);
        } else if (value.isName()) {
            // A name passed as a string: sp_helptext Sales.vCustomer
            std::string text = nameText(value);
            while (i + 1 < tokens.size() && tokens[i].isSymbol('.') && tokens[i + 1].isName())
                text += "." + nameText(tokens[i + 1]), i += 2;
            argument.value = Value::text(text);
        } else {
            throw syntaxErrorNear(value.text, value);
        }
        if (i < tokens.size() && (tokens[i].isWord("output") || tokens[i].isWord("out"))) {
            argument.output = true;
            ++i;
        }
        if (i < tokens.size() && !tokens[i].isSymbol(','))
            throw syntaxErrorNear(tokens[i].text, tokens[i]);
        ++i;
        if (!omitted)
            arguments.push_back(std::move(argument));
    }
    return arguments;
}

Value Engine::evaluate(std::string_view expression, const Bindings* bindings,
                       bool quotedIdentifiers) {
    const std::string select = "select " + std::string(expression);
    const SqliteText sql = translate(select, quotedIdentifiers);
    try {
        const AttachedDatabases attached(db_, data_, sql.otherDatabases);
        SqliteStatement statement(db_, sql.sql);
        if (bindings != nullptr)
            statement.bind(*bindings);
        return statement.step() ? statement.value(0) : Value::null();
    } catch (const SqliteError& error) {
        throw sqlServerError(error, select, sql, nameScope(), db_);
    }
}

void Engine::print(std::string_view expression, const Context& context, Reply& reply) {
    const Value value = evaluate(expression, context.variables);
    std::string text = value.bytes;
    if (value.kind == ValueKind::Integer)
        text = std::to_string(value.integer);
    else if (value.kind == ValueKind::Real)
        text = std::to_string(value.real);
    reply.message(ServerError(0, text, 0, 1));
    done(reply, context, doneFinal);
}

void Engine::raiseError(std::string_view arguments, bool isThrow, const Context& context,
                        Reply& reply) {
    if (!isThrow) {
        // RAISERROR (message, severity, state [, argument...]) [WITH ...]
        const size_t open = arguments.find('(');
        const size_t close = arguments.rfind(')');
        if (open == std::string_view::npos || close == std::string_view::npos || close < open)
            throw ServerError(102, "Incorrect syntax near 'RAISERROR'.");
        arguments = arguments.substr(open + 1, close - open - 1);
    }
    const SqliteText sql = translateForSqlite(arguments, nameScope());
    const AttachedDatabases attached(db_, data_, sql.otherDatabases);
    SqliteStatement values(db_, "select " + sql.sql);
    if (context.variables != nullptr)
        values.bind(*context.variables);
    if (!values.step() || values.columns() < 3)
        throw ServerError(102, std::string("Incorrect syntax near '") +
                                   (isThrow ? "THROW" : "RAISERROR") + "'.");
    const Value first = values.value(0);
    const Value second = values.value(1);
    const int state = static_cast<int>(values.value(2).integer);
    int number = 50000;
    int severity = 16;
    std::string text;
    if (isThrow) {
        number = static_cast<int>(first.integer);
        text = second.bytes;
    } else {
        text = first.bytes;
        severity = static_cast<int>(second.integer);
        // printf-like arguments: %s and %d take the values after the state, in order.
        std::string formatted;
        int next = 3;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 1 < text.size() &&
                (text[i + 1] == 's' || text[i + 1] == 'd') && next < values.columns()) {
                const Value argument = values.value(next++);
                formatted += argument.kind == ValueKind::Integer ? std::to_string(argument.integer)
                                                                 : argument.bytes;
                ++i;
            } else {
                formatted += text[i];
            }
        }
        text = formatted;
    }
    reply.message(ServerError(number, text, severity, state));
    done(reply, context, severity > 10 ? doneError : doneFinal);
}

// SET NOCOUNT, SET QUOTED_IDENTIFIER (for the batches that follow; the parser saw to the rest
// of this one), SET @variable [op]= expression; other options change nothing the double does.
void Engine::setStatement(const Statement& statement, Context& context) {
    const std::vector<SqlToken>& tokens = statement.tokens;
    if (tokens.size() > 2 && tokens[1].kind == SqlTokenKind::Variable) {
        size_t at = 2;
        std::string operation;
        while (at < tokens.size() && tokens[at].kind == SqlTokenKind::Symbol &&
               !tokens[at].isSymbol('='))
            operation += tokens[at++].text;
        if (at + 1 >= tokens.size() || !tokens[at].isSymbol('='))
            throw syntaxErrorNear(statement.text, tokens[std::min(at, tokens.size() - 1)]);
        std::string expression(textFrom(statement.text, tokens, at + 1));
        if (!operation.empty())
            expression = std::string(tokens[1].text) + " " + operation + " (" + expression + ")";
        assignVariable(*context.variables, std::string(tokens[1].text),
                       evaluate(expression, context.variables, statement.quotedIdentifiers));
        return;
    }
    if (tokens.size() == 3 && tokens[1].isWord("nocount"))
        noCount_ = tokens[2].isWord("on");
    if (tokens.size() == 3 && tokens[1].isWord("quoted_identifier"))
        quotedIdentifiers_ = tokens[2].isWord("on");
}

// DECLARE @name [AS] type [= value] [, ...]
void Engine::declare(const Statement& statement, Context& context) {
    const std::vector<SqlToken>& tokens = statement.tokens;
    size_t i = 1;
    while (i < tokens.size()) {
        if (tokens[i].kind != SqlTokenKind::Variable)
            throw syntaxErrorNear(statement.text, tokens[i]);
        const std::string name(tokens[i++].text);
        if (i < tokens.size() && tokens[i].isWord("as"))
            ++i;
        if (i < tokens.size() && (tokens[i].isWord("table") || tokens[i].isWord("cursor")))
            throw notSupported("DECLARE of a table or cursor variable");
        int depth = 0;
        const size_t valueStart = i;
        size_t equals = SIZE_MAX;
        for (; i < tokens.size(); ++i) {
            depth += tokens[i].isSymbol('(') ? 1 : tokens[i].isSymbol(')') ? -1 : 0;
            if (depth == 0 && tokens[i].isSymbol(','))
                break;
            if (depth == 0 && tokens[i].isSymbol('=') && equals == SIZE_MAX)
                equals = i;
        }
        if (i == valueStart)
            throw syntaxErrorAtEnd(statement.text, tokens);
        const size_t typeEnd = std::min(i, equals);
        if (context.types != nullptr && typeEnd > valueStart) {
            const char* from = tokens[valueStart].text.data();
            const SqlToken& last = tokens[typeEnd - 1];
            const std::string written(
                from, static_cast<size_t>(last.text.data() + last.text.size() - from));
            if (const auto type = parseDeclaredType(lowerAscii(written)))
                (*context.types)[lowerAscii(name)] = *type;
        }
        Value value;
        if (equals != SIZE_MAX) {
            const char* from = tokens[equals + 1 < tokens.size() ? equals + 1 : equals].text.data();
            const char* to = i < tokens.size() ? tokens[i].text.data() : statement.text.end();
            value = evaluate(std::string_view(from, static_cast<size_t>(to - from)),
                             context.variables, statement.quotedIdentifiers);
        }
        (*context.variables)[name] = value;
        if (i < tokens.size())
            ++i;
    }
}

// CREATE PROCEDURE, FUNCTION, VIEW, TRIGGER: the rest of the batch.
void Engine::createModule(const Statement& statement) {
    if (statement.startsWith("view", 1))
        return createView(statement.text, statement.tokens);
    if (statement.startsWith("trigger", 1))
        throw notSupported("CREATE TRIGGER");
    createProcedure(statement.text);
}

void Engine::waitFor(std::string_view delay, Reply& reply) {
    const auto until = std::chrono::steady_clock::now() + delayOf(std::string(delay));
    while (std::chrono::steady_clock::now() < until) {
        if (reply.cancelled())
            throw Cancelled{};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Engine::transactionStatement(std::string_view first, Reply& reply) {
    if (equalsIgnoringCase(first, "save"))
        throw notSupported("SAVE TRANSACTION");
    if (equalsIgnoringCase(first, "begin")) {
        const uint64_t id = beginTransaction();
        return writeTransactionChange(reply.out, ecBeginTransaction, id);
    }
    const bool commit = equalsIgnoringCase(first, "commit");
    const uint64_t id = endTransaction(commit);
    writeTransactionChange(reply.out, commit ? ecCommitTransaction : ecRollbackTransaction, id);
}

uint64_t Engine::beginTransaction() {
    runSqlite(db_, "begin");
    return ++transactionId_;
}

uint64_t Engine::endTransaction(bool commit) {
    if (!inTransaction())
        throw ServerError(commit ? 3902 : 3903,
                          commit ? "The COMMIT TRANSACTION request has no corresponding BEGIN "
                                   "TRANSACTION."
                                 : "The ROLLBACK TRANSACTION request has no corresponding BEGIN "
                                   "TRANSACTION.");
    runSqlite(db_, commit ? "commit" : "rollback");
    return transactionId_;
}

void Engine::useDatabase(const std::string& name, Reply& reply) {
    const std::optional<std::string> found = data_.find(name);
    if (!found)
        throw ServerError(911, "Database '" + name +
                                   "' does not exist. Make sure that the name is entered "
                                   "correctly.");
    const std::string previous = database_;
    open(*found);
    writeEnvChange(reply.out, ecDatabase, *found, previous);
    reply.message(ServerError(5701, "Changed database context to '" + *found + "'.", 0, 2));
}

void Engine::createProcedure(std::string_view text) {
    const Procedure procedure = parseCreateProcedure(text);
    if (procedure.function)
        returnedExpression(procedure);
    checkSchemaOf(procedure.name);
    SqliteStatement exists(db_, "select 1 from tds_procedures where name = ?1");
    exists.bind(1, Value::text(procedure.name));
    const bool taken = exists.step();
    exists.finish();
    if (taken)
        throw ServerError(2714, "There is already an object named '" +
                                    objectOfStoredName(procedure.name).name + "' in the database.");
    SqliteStatement insert(db_, "insert into tds_procedures (name, kind, definition, return_type) "
                                "values (?1, ?2, ?3, ?4)");
    insert.bind(1, Value::text(procedure.name));
    insert.bind(2, Value::text(procedure.function ? "FN" : "P"));
    insert.bind(3, Value::text(procedure.definition));
    insert.bind(4, procedure.returnType ? Value::text(procedure.returnType->declaration())
                                        : Value::null());
    insert.step();
    for (size_t i = 0; i < procedure.parameters.size(); ++i) {
        const ProcedureParameter& parameter = procedure.parameters[i];
        SqliteStatement row(db_, "insert into tds_procedure_parameters (procedure_name, ordinal, "
                                 "name, type, is_output, default_value) values (?1, ?2, ?3, ?4, "
                                 "?5, ?6)");
        row.bind(1, Value::text(procedure.name));
        row.bind(2, Value::of(static_cast<int64_t>(i + 1)));
        row.bind(3, Value::text(parameter.name));
        row.bind(4, Value::text(parameter.type.declaration()));
        row.bind(5, Value::of(int64_t{parameter.output}));
        row.bind(6, parameter.defaultValue ? Value::text(*parameter.defaultValue) : Value::null());
        row.step();
    }
    if (procedure.function)
        registerUserFunctions();
}

// CREATE SCHEMA name [AUTHORIZATION owner]
void Engine::createSchema(const std::vector<SqlToken>& tokens) {
    if (tokens.size() < 3 || !tokens[2].isName())
        throw ServerError(102, "Incorrect syntax near 'SCHEMA'.", 15);
    const std::string name = nameText(tokens[2]);
    if (schemaId(db_, name) != 0)
        throw ServerError(2714, "There is already an object named '" + name + "' in the database.");
    SqliteStatement insert(db_, "insert into tds_schemas (schema_id, name) select max(5, "
                                "max(schema_id) + 1), ?1 from tds_schemas");
    insert.bind(1, Value::text(name));
    insert.step();
}

void Engine::checkSchemaOf(const std::string& stored) {
    const ObjectName object = objectOfStoredName(stored);
    if (schemaId(db_, object.schema) == 0)
        throw ServerError(2760, "The specified schema name \"" + object.schema +
                                    "\" either does not exist or you do not have permission to "
                                    "use it.");
}

// CREATE VIEW name AS ...: SQLite's view, and the text as written for sp_helptext.
void Engine::createView(std::string_view text, const std::vector<SqlToken>& tokens) {
    size_t as = 2;
    while (as < tokens.size() && !tokens[as].isWord("as"))
        ++as;
    if (as == tokens.size())
        throw ServerError(102, "Incorrect syntax near '" + std::string(tokens.back().text) + "'.",
                          15);
    const std::string stored =
        parseObjectName(
            std::string_view(tokens[2].text.data(),
                             static_cast<size_t>(tokens[as].text.data() - tokens[2].text.data())))
            .stored();
    checkSchemaOf(stored);
    const SqliteText sql = translateForSqlite(text, nameScope());
    runSqlite(db_, sql.sql);
    SqliteStatement insert(db_, "insert or replace into tds_procedures (name, kind, definition) "
                                "values (?1, 'V', ?2)");
    insert.bind(1, Value::text(stored));
    insert.bind(2, Value::text(std::string(text)));
    insert.step();
}

void Engine::dropView(std::string_view text, const std::vector<SqlToken>& tokens) {
    runSqlite(db_, translateForSqlite(text, nameScope()).sql);
    SqliteStatement remove(db_, "delete from tds_procedures where name = ?1 and kind = 'V'");
    remove.bind(1, Value::text(parseObjectName(tokens.back().text).stored()));
    remove.step();
}

void Engine::dropProcedure(const std::string& name) {
    SqliteStatement remove(db_, "delete from tds_procedures where name = ?1 and kind in ('P', "
                                "'FN')");
    remove.bind(1, Value::text(name));
    remove.step();
    if (sqlite3_changes(db_) == 0)
        throw ServerError(3701,
                          "Cannot drop the procedure '" + objectOfStoredName(name).name +
                              "', because it does not exist or you do not have "
                              "permission.",
                          11);
    SqliteStatement parameters(db_,
                               "delete from tds_procedure_parameters where procedure_name = ?1");
    parameters.bind(1, Value::text(name));
    parameters.step();
}

} // namespace velmora::tds
