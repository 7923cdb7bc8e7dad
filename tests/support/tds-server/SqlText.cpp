#include "SqlText.h"

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

size_t tokenEnd(std::string_view sql, size_t pos, SqlTokenKind& kind) {
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
        kind = SqlTokenKind::QuotedName;
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

// Statements the server runs itself; they end at the end of their line.
bool endsAtLineEnd(std::string_view firstWord) {
    static const std::array<std::string_view, 13> words = {
        "print",   "use",   "raiserror", "throw",    "set",     "exec", "execute",
        "waitfor", "begin", "commit",    "rollback", "declare", "save"};
    const std::string word = lowerAscii(firstWord);
    for (std::string_view candidate : words)
        if (word == candidate)
            return true;
    return false;
}

std::string_view trimmedText(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

class Rewriter {
public:
    Rewriter(std::string_view statement, std::string currentDatabase)
        : tokens_(tokenize(statement)), current_(std::move(currentDatabase)) {
        for (const SqlToken& token : tokens_)
            pieces_.emplace_back(token.text);
        for (size_t i = 0; i < tokens_.size(); ++i)
            if (!tokens_[i].isBlank())
                significant_.push_back(i);
    }

    SqliteText run() {
        literals();
        names();
        maxLengths();
        if (isCreateTable())
            identityColumns();
        SqliteText text;
        for (const std::string& piece : pieces_)
            text.sql += piece;
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
                piece(s) = std::string(token.text.substr(1));
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

    // Dotted names: "db.dbo.t" and "db..t" become "db.t", "dbo.t" becomes "t".
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
            rewriteName(parts, s);
            s = end - 1;
        }
    }

    void rewriteName(const std::vector<size_t>& parts, size_t first) {
        if (parts.size() == 1) {
            // The list of databases is master's, and reachable from every database.
            if (at(first).isWord("sysdatabases") && !equalsIgnoringCase(current_, "master")) {
                piece(first) = "master.sysdatabases";
                otherDatabases_.push_back("master");
            }
            return;
        }
        if (parts.back() == SIZE_MAX)
            return;
        if (parts.size() == 2) {
            if (nameText(at(parts[0])) == "dbo")
                clear(first, parts[1]);
            return;
        }
        // The database and the object; the schema (and a server name) go.
        const size_t database = parts[parts.size() - 3];
        const size_t object = parts.back();
        if (database == SIZE_MAX)
            return;
        const bool current = equalsIgnoringCase(nameText(at(database)), current_);
        if (!current)
            otherDatabases_.push_back(nameText(at(database)));
        const std::string databaseText =
            current ? std::string("main") : std::string(at(database).text);
        const std::string objectText(at(object).text);
        clear(first, object);
        pieces_[significant_[object]].clear();
        piece(first) = databaseText + "." + objectText;
    }

    // Empties the significant tokens [from, to) and the blanks between them.
    void clear(size_t from, size_t to) {
        const size_t end = to < significant_.size() ? significant_[to] : tokens_.size();
        for (size_t i = significant_[from]; i < end; ++i)
            pieces_[i].clear();
    }

    void maxLengths() {
        for (size_t s = 2; s + 1 < significant_.size(); ++s)
            if (at(s).isWord("max") && at(s - 1).isSymbol('(') && at(s + 1).isSymbol(')'))
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
    std::vector<std::string> pieces_;
    std::vector<size_t> significant_;
    std::string current_;
    std::vector<std::string> otherDatabases_;
};

} // namespace

bool SqlToken::isWord(std::string_view word) const {
    return kind == SqlTokenKind::Word && equalsIgnoringCase(text, word);
}

bool startsSqlStatement(std::string_view firstWord) {
    static const std::array<std::string_view, 19> words = {
        "select", "insert", "update",  "delete",  "create",  "drop",    "alter",
        "with",   "pragma", "replace", "values",  "explain", "analyze", "attach",
        "detach", "vacuum", "reindex", "release", "truncate"};
    const std::string word = lowerAscii(firstWord);
    for (std::string_view candidate : words)
        if (word == candidate)
            return true;
    return false;
}

std::vector<SqlToken> tokenize(std::string_view sql) {
    std::vector<SqlToken> tokens;
    size_t pos = 0;
    while (pos < sql.size()) {
        SqlTokenKind kind = SqlTokenKind::Symbol;
        const size_t end = tokenEnd(sql, pos, kind);
        tokens.push_back({kind, sql.substr(pos, end - pos)});
        pos = end;
    }
    return tokens;
}

std::vector<SqlToken> significant(std::string_view sql) {
    std::vector<SqlToken> tokens;
    for (const SqlToken& token : tokenize(sql))
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
    std::string_view text = token.text.substr(token.text.find('\'') + 1);
    if (!text.empty() && text.back() == '\'')
        text.remove_suffix(1);
    std::string value;
    for (size_t i = 0; i < text.size(); ++i) {
        value += text[i];
        if (text[i] == '\'' && i + 1 < text.size() && text[i + 1] == '\'')
            ++i;
    }
    return value;
}

std::vector<std::string_view> splitStatements(std::string_view batch) {
    const std::vector<SqlToken> tokens = tokenize(batch);
    std::vector<std::string_view> statements;
    size_t i = 0;
    bool first = true;
    const auto offset = [&](size_t index) {
        return index < tokens.size() ? static_cast<size_t>(tokens[index].text.data() - batch.data())
                                     : batch.size();
    };
    while (i < tokens.size()) {
        while (i < tokens.size() && (tokens[i].isBlank() || tokens[i].isSymbol(';')))
            ++i;
        if (i == tokens.size())
            break;
        const size_t start = i;
        size_t nextWord = i + 1;
        while (nextWord < tokens.size() && tokens[nextWord].isBlank())
            ++nextWord;
        const bool createProcedure =
            tokens[i].isWord("create") && nextWord < tokens.size() &&
            (tokens[nextWord].isWord("procedure") || tokens[nextWord].isWord("proc"));
        const bool lineEnded =
            tokens[i].kind == SqlTokenKind::Word &&
            (endsAtLineEnd(tokens[i].text) || (first && !startsSqlStatement(tokens[i].text)));
        for (; i < tokens.size() && !createProcedure; ++i) {
            if (tokens[i].isSymbol(';'))
                break;
            if (lineEnded && tokens[i].kind == SqlTokenKind::Space &&
                tokens[i].text.find('\n') != std::string_view::npos)
                break;
        }
        if (createProcedure)
            i = tokens.size();
        statements.push_back(trimmedText(batch.substr(offset(start), offset(i) - offset(start))));
        first = false;
    }
    return statements;
}

SqliteText translateForSqlite(std::string_view statement, const std::string& currentDatabase) {
    return Rewriter(statement, currentDatabase).run();
}

} // namespace velmora::tds
