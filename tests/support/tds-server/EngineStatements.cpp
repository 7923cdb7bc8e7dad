// The statements the server runs itself rather than hand to SQLite: EXEC, PRINT, RAISERROR and
// THROW, SET, WAITFOR, USE, transactions, CREATE and DROP PROCEDURE.
#include "Conversions.h"
#include "Engine.h"
#include "Procedures.h"
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

void Engine::execStatement(std::string_view text, const Context& context, Reply& reply) {
    const std::vector<SqlToken> tokens = significant(text);
    size_t i = 0;
    if (tokens.size() > 2 && tokens[0].kind == SqlTokenKind::Variable && tokens[1].isSymbol('='))
        i = 2; // EXEC @status = name: the status is not kept
    // The name, with its database and schema when given ("master..sp_tables").
    std::string name;
    for (bool expectName = true; i < tokens.size(); ++i) {
        if (tokens[i].isSymbol('.'))
            name += '.';
        else if (expectName && tokens[i].isName())
            name += nameText(tokens[i]);
        else
            break;
        expectName = tokens[i].isSymbol('.');
    }
    if (name.empty())
        throw ServerError(102, "Incorrect syntax near 'EXEC'.");
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
            throw ServerError(102, "Incorrect syntax near the end of EXEC.");
        const SqlToken& value = tokens[i++];
        bool omitted = false;
        if (value.kind == SqlTokenKind::String)
            argument.value = Value::text(stringValue(value));
        else if (value.kind == SqlTokenKind::Number)
            argument.value =
                evaluate((negative ? "-" : "") + std::string(value.text), context.bindings);
        else if (value.isWord("null"))
            argument.value = Value::null();
        else if (value.isWord("default"))
            omitted = true;
        else if (value.kind == SqlTokenKind::Variable && context.bindings != nullptr)
            argument.value = evaluate(value.text, context.bindings);
        else if (value.isName())
            argument.value = Value::text(nameText(value));
        else
            throw ServerError(102, "Incorrect syntax near '" + std::string(value.text) + "'.");
        while (i < tokens.size() && !tokens[i].isSymbol(','))
            argument.output =
                argument.output || tokens[i].isWord("output") || tokens[i].isWord("out"),
            ++i;
        ++i;
        if (!omitted)
            arguments.push_back(std::move(argument));
    }
    runProcedure(name, arguments, reply, context.more);
}

Value Engine::evaluate(std::string_view expression, const Bindings* bindings) {
    const SqliteText sql = translateForSqlite(expression, nameScope());
    const AttachedDatabases attached(db_, data_, sql.otherDatabases);
    SqliteStatement statement(db_, "select " + sql.sql);
    if (bindings != nullptr)
        statement.bind(*bindings);
    return statement.step() ? statement.value(0) : Value::null();
}

void Engine::print(std::string_view expression, const Context& context, Reply& reply) {
    const Value value = evaluate(expression, context.bindings);
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
    if (context.bindings != nullptr)
        values.bind(*context.bindings);
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

void Engine::setOption(const std::vector<SqlToken>& tokens) {
    if (tokens.size() > 1 && tokens[1].kind == SqlTokenKind::Variable)
        throw notSupported("SET of a variable");
    if (tokens.size() == 3 && tokens[1].isWord("nocount"))
        noCount_ = tokens[2].isWord("on");
    // Other options (ANSI settings, TEXTSIZE, ...) change nothing the double does.
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
    if (exists.step())
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
