#include "SqlText.h"

#include "ResultTypes.h"
#include "ServerError.h"
#include "SystemCatalogue.h"
#include "Text.h"

#include <array>

namespace velmora::tds {

namespace {

bool isWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isWordPart(char c) {
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '$' || c == '@';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The end of a run delimited by `close`, where a doubled `close` stands for itself.
size_t delimitedEnd(std::string_view sql, size_t pos, char close) {
    while (pos < sql.size()) {
        if (sql[pos] == close) {
            if (pos + 1 < sql.size() && sql[pos + 1] == close) {
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        ++pos;
    }
    return sql.size();
}

size_t tokenEnd(std::string_view sql, size_t pos, bool quotedIdentifiers, SqlTokenKind& kind) {
    const char c = sql[pos];
    const auto next = [&](size_t at) { return at < sql.size() ? sql[at] : '\0'; };
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
        kind = SqlTokenKind::Space;
        while (pos < sql.size() && (sql[pos] == ' ' || sql[pos] == '\t' || sql[pos] == '\r' ||
                                    sql[pos] == '\n' || sql[pos] == '\f' || sql[pos] == '\v'))
            ++pos;
        return pos;
    }
    if (c == '-' && next(pos + 1) == '-') {
        kind = SqlTokenKind::Comment;
        const size_t end = sql.find('\n', pos);
        return end == std::string_view::npos ? sql.size() : end;
    }
    if (c == '/' && next(pos + 1) == '*') {
        kind = SqlTokenKind::Comment;
        const size_t end = sql.find("*/", pos + 2);
        return end == std::string_view::npos ? sql.size() : end + 2;
    }
    if (c == '\'' || ((c == 'N' || c == 'n') && next(pos + 1) == '\'')) {
        kind = SqlTokenKind::String;
        return delimitedEnd(sql, sql.find('\'', pos) + 1, '\'');
    }
    if (c == '[') {
        kind = SqlTokenKind::Bracketed;
        return delimitedEnd(sql, pos + 1, ']');
    }
    if (c == '"') {
        kind = quotedIdentifiers ? SqlTokenKind::QuotedName : SqlTokenKind::String;
        return delimitedEnd(sql, pos + 1, '"');
    }
    if (c == '@') {
        kind = SqlTokenKind::Variable;
        ++pos;
        while (pos < sql.size() && isWordPart(sql[pos]))
            ++pos;
        return pos;
    }
    if (isDigit(c) || (c == '.' && isDigit(next(pos + 1)))) {
        kind = SqlTokenKind::Number;
        if (c == '0' && (next(pos + 1) == 'x' || next(pos + 1) == 'X')) {
            pos += 2;
            while (pos < sql.size() && std::isxdigit(static_cast<unsigned char>(sql[pos])))
                ++pos;
            return pos;
        }
        while (pos < sql.size() && (isDigit(sql[pos]) || sql[pos] == '.'))
            ++pos;
        if (pos < sql.size() && (sql[pos] == 'e' || sql[pos] == 'E')) {
            size_t exponent = pos + 1;
            if (exponent < sql.size() && (sql[exponent] == '+' || sql[exponent] == '-'))
                ++exponent;
            if (exponent < sql.size() && isDigit(sql[exponent])) {
                pos = exponent;
                while (pos < sql.size() && isDigit(sql[pos]))
                    ++pos;
            }
        }
        return pos;
    }
    if (isWordStart(c)) {
        kind = SqlTokenKind::Word;
        while (pos < sql.size() && isWordPart(sql[pos]))
            ++pos;
        return pos;
    }
    kind = SqlTokenKind::Symbol;
    return pos + 1;
}

class Rewriter {
public:
    Rewriter(std::string_view statement, const NameScope& scope)
        : tokens_(tokenize(statement, scope.quotedIdentifiers)), scope_(scope) {
        for (const SqlToken& token : tokens_)
            pieces_.emplace_back(token.text);
        for (size_t i = 0; i < tokens_.size(); ++i)
            if (!tokens_[i].isBlank())
                significant_.push_back(i);
    }

    SqliteText run() {
        literals();
        names();
        conversions();
        divisions();
        maxLengths();
        if (isCreateTable()) {
            identityColumns();
            caseInsensitiveColumns();
        }
        SqliteText text;
        for (size_t i = 0; i < pieces_.size(); ++i) {
            if (!pieces_[i].empty())
                text.origins.emplace_back(
                    text.sql.size(),
                    static_cast<size_t>(tokens_[i].text.data() - tokens_[0].text.data()));
            text.sql += pieces_[i];
        }
        text.otherDatabases = std::move(otherDatabases_);
        return text;
    }

private:
    const SqlToken& at(size_t s) const { return tokens_[significant_[s]]; }
    std::string& piece(size_t s) { return pieces_[significant_[s]]; }
    bool has(size_t s) const { return s < significant_.size(); }

    void literals() {
        for (size_t s = 0; s < significant_.size(); ++s) {
            const SqlToken& token = at(s);
            if (token.kind == SqlTokenKind::String && token.text[0] != '\'')
                piece(s) = sqlString(stringValue(token));
            else if (token.kind == SqlTokenKind::Number && token.text.size() > 1 &&
                     (token.text[1] == 'x' || token.text[1] == 'X')) {
                std::string hex(token.text.substr(2));
                if (hex.size() % 2 != 0)
                    hex.insert(hex.begin(), '0');
                piece(s) = "x'" + hex + "'";
            } else if (token.kind == SqlTokenKind::Variable) {
                piece(s) = globalVariable(lowerAscii(token.text));
            }
        }
    }

    static std::string globalVariable(const std::string& name) {
        if (name == "@@identity")
            return "last_insert_rowid()";
        if (name == "@@rowcount")
            return "changes()";
        if (name == "@@version")
            return "tds_version()";
        if (name == "@@trancount")
            return "tds_trancount()";
        return name;
    }

    // Dotted names: the schema goes into the object's SQLite name ("Sales.Customer"), dbo goes,
    // a database becomes SQLite's (the current one "main", another attached).
    void names() {
        for (size_t s = 0; s < significant_.size(); ++s) {
            if (!at(s).isName() || (s > 0 && at(s - 1).isSymbol('.')))
                continue;
            std::vector<size_t> parts{s}; // significant indexes; SIZE_MAX for an empty part
            size_t end = s + 1;
            while (has(end) && at(end).isSymbol('.')) {
                if (has(end + 1) && at(end + 1).isName()) {
                    parts.push_back(end + 1);
                    end += 2;
                } else {
                    parts.push_back(SIZE_MAX);
                    end += 1;
                }
            }
            if (parts.back() != SIZE_MAX)
                rewriteName(parts, end);
            s = end - 1;
        }
    }

    std::string partText(size_t part) const {
        return part == SIZE_MAX ? std::string() : nameText(at(part));
    }

    bool isSchema(const std::string& name) const {
        for (const std::string& schema : scope_.schemas)
            if (equalsIgnoringCase(schema, name))
                return true;
        return false;
    }

    void rewriteName(const std::vector<size_t>& parts, size_t end) {
        size_t database = SIZE_MAX, schema = SIZE_MAX, object = parts[0];
        if (parts.size() >= 2 && isSchema(partText(parts[0]))) {
            schema = parts[0]; // schema.object[.column]
            object = parts[1];
        } else if (parts.size() == 3 || parts.size() == 4) {
            database = parts[parts.size() - 3]; // [server.]database.schema.object
            schema = parts[parts.size() - 2];
            object = parts.back();
        } else if (parts.size() != 1) {
            return; // alias.column
        }
        ObjectName name{partText(schema), partText(object)};
        if (name.schema.empty())
            name.schema = "dbo";
        // SQL Server 2000's system tables, now views in sys, still answer to their old names.
        const bool compatibilityView =
            name.inDbo() && (equalsIgnoringCase(name.name, "sysdatabases") ||
                             equalsIgnoringCase(name.name, "sysobjects"));
        if (compatibilityView)
            name = {"sys", name.name};
        const bool serverWide = isServerWideView(name);
        if (parts.size() == 1 && !serverWide && !compatibilityView)
            return;
        std::string target = serverWide ? "master" : partText(database);
        const bool current = target.empty() || equalsIgnoringCase(target, scope_.database);
        if (!current && !serverWide && scope_.azure)
            throw ServerError(40515,
                              "Reference to database and/or server name in '" +
                                  std::string(tokenText(parts[0], end)) +
                                  "' is not supported in this version of SQL Server.",
                              15);
        std::string sql;
        if (!current) {
            otherDatabases_.push_back(target);
            sql = quotedName(target) + ".";
        } else if (database != SIZE_MAX) {
            sql = "main.";
        }
        sql += name.inDbo() ? std::string(at(object).text) : quotedName(name.stored());
        if (serverWide && scope_.azure)
            sql = azureView(name, sql);
        clear(parts[0], object);
        piece(object).clear();
        piece(parts[0]) = sql;
        // A table-valued system function takes no arguments here: sys.fn_helpcollations().
        if (equalsIgnoringCase(name.schema, "sys") && has(end + 1) && at(end).isSymbol('(') &&
            at(end + 1).isSymbol(')'))
            clear(end, end + 2);
    }

    // Azure SQL Database has no sysdatabases, and a user database's sys.databases shows that
    // database and master only.
    std::string azureView(const ObjectName& name, const std::string& sql) const {
        if (equalsIgnoringCase(name.name, "sysdatabases"))
            return "sysdatabases"; // which no database has
        if (equalsIgnoringCase(scope_.database, "master"))
            return sql;
        return "(select * from " + sql + " where name in ('master', " + sqlString(scope_.database) +
               "))";
    }

    std::string_view tokenText(size_t from, size_t to) const {
        const char* start = at(from).text.data();
        const SqlToken& last = at(to - 1);
        return {start, static_cast<size_t>(last.text.data() + last.text.size() - start)};
    }

    // Empties the significant tokens [from, to) and the blanks between them.
    void clear(size_t from, size_t to) {
        const size_t end = to < significant_.size() ? significant_[to] : tokens_.size();
        for (size_t i = significant_[from]; i < end; ++i)
            pieces_[i].clear();
    }

    // "a / b" and "a % b" as tds_divide(a, b) and tds_modulo(a, b), which raise SQL Server's
    // error on a zero divisor where SQLite gives null. The left operand takes in the terms of
    // equal precedence before it, so "a * b / c" stays (a * b) / c.
    void divisions() {
        for (size_t s = 1; s + 1 < significant_.size(); ++s) {
            if (!at(s).isSymbol('/') && !at(s).isSymbol('%'))
                continue;
            const size_t left = termStart(s - 1);
            const size_t right = operandEnd(s + 1);
            if (left == SIZE_MAX || right == SIZE_MAX)
                continue;
            piece(left) = (at(s).isSymbol('/') ? "tds_divide(" : "tds_modulo(") + piece(left);
            piece(s) = ",";
            piece(right) += ")";
        }
    }

    size_t termStart(size_t end) const {
        size_t start = operandStart(end);
        while (start != SIZE_MAX && start >= 2 &&
               (at(start - 1).isSymbol('*') || at(start - 1).isSymbol('/') ||
                at(start - 1).isSymbol('%')))
            start = operandStart(start - 2);
        return start;
    }

    // The first token of the operand that ends at `end`: a literal, a variable, a dotted name,
    // a call or a parenthesised expression.
    size_t operandStart(size_t end) const {
        size_t start = end;
        if (at(end).isSymbol(')')) {
            for (int depth = 0;; --start) {
                depth += at(start).isSymbol(')') ? 1 : at(start).isSymbol('(') ? -1 : 0;
                if (depth == 0)
                    break;
                if (start == 0)
                    return SIZE_MAX;
            }
            if (start == 0 || !at(start - 1).isName())
                return start;
            --start;
        } else if (!at(end).isName() && at(end).kind != SqlTokenKind::Number &&
                   at(end).kind != SqlTokenKind::String && at(end).kind != SqlTokenKind::Variable) {
            return SIZE_MAX;
        }
        while (start >= 2 && at(start - 1).isSymbol('.') && at(start - 2).isName())
            start -= 2;
        return start;
    }

    // The last token of the operand that starts at `start`, a sign included.
    size_t operandEnd(size_t start) const {
        while (has(start) && (at(start).isSymbol('-') || at(start).isSymbol('+')))
            ++start;
        if (!has(start))
            return SIZE_MAX;
        if (at(start).isName())
            while (has(start + 2) && at(start + 1).isSymbol('.') && at(start + 2).isName())
                start += 2;
        if (at(start).isName() && has(start + 1) && at(start + 1).isSymbol('('))
            ++start;
        if (at(start).isSymbol('(')) {
            for (int depth = 0; has(start); ++start) {
                depth += at(start).isSymbol('(') ? 1 : at(start).isSymbol(')') ? -1 : 0;
                if (depth == 0)
                    return start;
            }
            return SIZE_MAX;
        }
        return at(start).isSymbol(')') || at(start).kind == SqlTokenKind::Symbol ? SIZE_MAX : start;
    }

    // ISNULL and COUNT_BIG as SQLite names them; CONVERT(type, value [, style]) as
    // CAST(value AS type), and the type of every CAST as the
    // SQLite type whose affinity keeps the value as SQL Server's type holds it: SQLite would
    // make a number of "datetime" ('2024-05-01' is 2024) and of "uniqueidentifier" (it
    // contains "int").
    void conversions() {
        for (size_t s = 0; s + 1 < significant_.size(); ++s) {
            // ISNULL is an operator of SQLite's ("x isnull"), and COUNT_BIG its COUNT.
            if (at(s).isWord("isnull") && at(s + 1).isSymbol('('))
                piece(s) = "ifnull";
            if (at(s).isWord("count_big") && at(s + 1).isSymbol('('))
                piece(s) = "count";
            const bool cast = at(s).isWord("cast");
            if ((!cast && !at(s).isWord("convert")) || !at(s + 1).isSymbol('('))
                continue;
            const size_t close = matching(s + 1);
            if (close == SIZE_MAX)
                continue;
            size_t typeBegin = SIZE_MAX, typeEnd = SIZE_MAX, comma = SIZE_MAX, style = close;
            int depth = 0;
            for (size_t i = s + 2; i < close; ++i) {
                if (depth == 0 && cast && at(i).isWord("as"))
                    typeBegin = i + 1, typeEnd = close;
                if (depth == 0 && !cast && at(i).isSymbol(',')) {
                    if (comma == SIZE_MAX)
                        comma = i;
                    else
                        style = i;
                }
                depth += at(i).isSymbol('(') ? 1 : at(i).isSymbol(')') ? -1 : 0;
            }
            if (!cast) {
                if (comma == SIZE_MAX || comma == s + 2)
                    continue;
                typeBegin = s + 2, typeEnd = comma;
            }
            if (typeBegin == SIZE_MAX || typeBegin >= typeEnd)
                continue;
            const auto type = castTargetType(tokenText(typeBegin, typeEnd));
            if (!type)
                continue;
            const std::string target = sqliteType(*type);
            if (cast) {
                clear(typeBegin, typeEnd);
                piece(typeBegin) = target;
                continue;
            }
            piece(s) = "cast";
            clear(typeBegin, comma + 1);
            if (style != close)
                clear(style, close);
            piece(close) = " as " + target + ")";
        }
    }

    static std::string sqliteType(const SqlType& type) {
        switch (type.kind) {
        case TypeKind::TinyInt:
        case TypeKind::SmallInt:
        case TypeKind::Int:
        case TypeKind::BigInt:
            return "integer";
        case TypeKind::Float:
        case TypeKind::Real:
            return "real";
        case TypeKind::Bit:
        case TypeKind::Decimal:
        case TypeKind::Numeric:
        case TypeKind::Money:
        case TypeKind::SmallMoney:
            return "numeric";
        default:
            return type.isBinary() ? "blob" : "text";
        }
    }

    // The ")" that closes the "(" at `open`.
    size_t matching(size_t open) const {
        int depth = 0;
        for (size_t s = open; has(s); ++s) {
            depth += at(s).isSymbol('(') ? 1 : at(s).isSymbol(')') ? -1 : 0;
            if (depth == 0)
                return s;
        }
        return SIZE_MAX;
    }

    void maxLengths() {
        for (size_t s = 2; s + 1 < significant_.size(); ++s)
            if (!piece(s).empty() && at(s).isWord("max") && at(s - 1).isSymbol('(') &&
                at(s + 1).isSymbol(')'))
                piece(s) = "-1";
    }

    bool isCreateTable() const {
        return significant_.size() > 2 && at(0).isWord("create") && at(1).isWord("table");
    }

    // "id int identity(1,1) [not null] [primary key]" becomes "id integer [not null] primary
    // key autoincrement": SQLite numbers only an INTEGER PRIMARY KEY column by itself.
    void identityColumns() {
        for (size_t s = 0; s < significant_.size(); ++s) {
            if (at(s).isWord("clustered") || at(s).isWord("nonclustered")) {
                piece(s).clear();
                continue;
            }
            if (!at(s).isWord("identity") || s < 2)
                continue;
            size_t type = s - 1;
            if (at(type).isSymbol(')'))
                while (type > 0 && !at(type).isSymbol('('))
                    --type;
            if (at(type).isSymbol('('))
                --type;
            clear(type, s);
            piece(type) = "integer ";
            size_t after = s + 1;
            if (has(after) && at(after).isSymbol('(')) {
                while (has(after) && !at(after).isSymbol(')'))
                    ++after;
                ++after;
            }
            clear(s, after);
            const size_t key = primaryKeyOfColumn(after);
            if (key == SIZE_MAX)
                piece(s) = "primary key autoincrement ";
            else
                piece(key) += " autoincrement";
        }
    }

    // Character columns compare and sort without regard to case, as in the server's collation
    // (SQL_Latin1_General_CP1_CI_AS); a collation of SQL Server's own is SQLite's nearest.
    void caseInsensitiveColumns() {
        size_t s = 0;
        while (has(s) && !at(s).isSymbol('('))
            ++s;
        int depth = 0;
        bool columnStart = true;
        for (++s; has(s); ++s) {
            if (at(s).isSymbol('('))
                ++depth;
            else if (at(s).isSymbol(')') && depth-- == 0)
                break;
            if (depth == 0 && at(s).isSymbol(',')) {
                columnStart = true;
                continue;
            }
            if (!columnStart || depth != 0)
                continue;
            columnStart = false;
            if (!has(s + 1) || !isCharacterType(at(s + 1)) || at(s).isWord("constraint"))
                continue;
            size_t typeEnd = s + 2;
            if (has(typeEnd) && at(typeEnd).isSymbol('('))
                while (has(typeEnd) && !at(typeEnd++).isSymbol(')')) {
                }
            if (has(typeEnd + 1) && at(typeEnd).isWord("collate")) {
                const bool caseSensitive =
                    lowerAscii(at(typeEnd + 1).text).find("_cs") != std::string::npos;
                piece(typeEnd + 1) = caseSensitive ? "binary" : "nocase";
            } else {
                piece(typeEnd - 1) += " collate nocase";
            }
        }
    }

    static bool isCharacterType(const SqlToken& token) {
        static const std::array<std::string_view, 7> types = {
            "char", "varchar", "nchar", "nvarchar", "text", "ntext", "sysname"};
        for (std::string_view type : types)
            if (token.isWord(type))
                return true;
        return false;
    }

    // The "key" of a "primary key" in the column definition starting at `from`.
    size_t primaryKeyOfColumn(size_t from) const {
        int depth = 0;
        for (size_t s = from; has(s); ++s) {
            if (at(s).isSymbol('('))
                ++depth;
            else if (at(s).isSymbol(')') && depth-- == 0)
                break;
            else if (at(s).isSymbol(',') && depth == 0)
                break;
            else if (at(s).isWord("primary") && has(s + 1) && at(s + 1).isWord("key"))
                return s + 1;
        }
        return SIZE_MAX;
    }

    std::vector<SqlToken> tokens_;
    const NameScope& scope_;
    std::vector<std::string> pieces_;
    std::vector<size_t> significant_;
    std::vector<std::string> otherDatabases_;
};

} // namespace

bool SqlToken::isWord(std::string_view word) const {
    return kind == SqlTokenKind::Word && equalsIgnoringCase(text, word);
}

std::vector<SqlToken> tokenize(std::string_view sql, bool quotedIdentifiers) {
    std::vector<SqlToken> tokens;
    size_t pos = 0;
    while (pos < sql.size()) {
        SqlTokenKind kind = SqlTokenKind::Symbol;
        const size_t end = tokenEnd(sql, pos, quotedIdentifiers, kind);
        tokens.push_back({kind, sql.substr(pos, end - pos)});
        pos = end;
    }
    return tokens;
}

std::vector<SqlToken> significant(std::string_view sql, bool quotedIdentifiers) {
    std::vector<SqlToken> tokens;
    for (const SqlToken& token : tokenize(sql, quotedIdentifiers))
        if (!token.isBlank())
            tokens.push_back(token);
    return tokens;
}

std::string nameText(const SqlToken& token) {
    std::string_view text = token.text;
    char close = 0;
    if (token.kind == SqlTokenKind::Bracketed)
        close = ']';
    else if (token.kind == SqlTokenKind::QuotedName)
        close = '"';
    else
        return std::string(text);
    text.remove_prefix(1);
    if (!text.empty() && text.back() == close)
        text.remove_suffix(1);
    std::string name;
    for (size_t i = 0; i < text.size(); ++i) {
        name += text[i];
        if (text[i] == close && i + 1 < text.size() && text[i + 1] == close)
            ++i;
    }
    return name;
}

std::string stringValue(const SqlToken& token) {
    const size_t open = token.text.find_first_of("'\"");
    const char quote = token.text[open];
    std::string_view text = token.text.substr(open + 1);
    if (!text.empty() && text.back() == quote)
        text.remove_suffix(1);
    std::string value;
    for (size_t i = 0; i < text.size(); ++i) {
        value += text[i];
        if (text[i] == quote && i + 1 < text.size() && text[i + 1] == quote)
            ++i;
    }
    return value;
}

std::string sqlString(std::string_view value) {
    std::string literal = "'";
    for (char c : value)
        literal += c == '\'' ? std::string("''") : std::string(1, c);
    return literal + "'";
}

std::string quotedName(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The text of a statement from its `index`th significant token on.
std::string_view textFrom(std::string_view statement, const std::vector<SqlToken>& tokens,
                          size_t index) {
    if (index >= tokens.size())
        return {};
    return statement.substr(static_cast<size_t>(tokens[index].text.data() - statement.data()));
}

size_t SqliteText::originOf(size_t offset) const {
    size_t origin = 0;
    for (const auto& [translated, original] : origins)
        if (translated <= offset)
            origin = original;
    return origin;
}

SqliteText translateForSqlite(std::string_view statement, const NameScope& scope) {
    return Rewriter(statement, scope).run();
}

} // namespace velmora::tds
