#include "Batch.h"

#include "Text.h"

#include <algorithm>

namespace velmora::tds {

namespace {

bool isAnyOf(const SqlToken& token, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view w) { return token.isWord(w); });
}

// Words that begin a statement wherever they stand outside parentheses (but see continues()).
bool startsStatement(const SqlToken& token) {
    return isAnyOf(token,
                   {"select",     "insert",  "update",      "delete",   "merge",      "print",
                    "exec",       "execute", "use",         "create",   "alter",      "drop",
                    "declare",    "set",     "if",          "while",    "begin",      "commit",
                    "rollback",   "save",    "raiserror",   "throw",    "waitfor",    "truncate",
                    "return",     "break",   "continue",    "goto",     "grant",      "revoke",
                    "deny",       "open",    "fetch",       "close",    "deallocate", "dbcc",
                    "checkpoint", "kill",    "reconfigure", "shutdown", "with"});
}

// The statements that SQLite runs; any other is the server's own.
bool isSqlStatement(const SqlToken& first) {
    return isAnyOf(first, {"select", "insert", "update", "delete", "with", "create", "alter",
                           "drop", "merge"});
}

[[noreturn]] void fail(std::string_view batch, const SqlToken& token) {
    throw syntaxErrorNear(batch, token);
}

class BatchParser {
public:
    BatchParser(std::string_view batch, bool quotedIdentifiers)
        : batch_(batch), quoted_(quotedIdentifiers) {
        checkDelimiters(0);
        tokens_ = significant(batch, quoted_);
    }

    std::vector<Statement> parse() {
        std::vector<Statement> statements;
        while (skipSemicolons()) {
            statements.push_back(statement(statements.empty()));
            quotedIdentifierSetting(statements.back());
        }
        return statements;
    }

private:
    bool has(size_t at = 0) const { return pos_ + at < tokens_.size(); }
    // The token `at` places on; past the end, a blank one.
    const SqlToken& token(size_t at = 0) const {
        static const SqlToken none{SqlTokenKind::Space, " "};
        return has(at) ? tokens_[pos_ + at] : none;
    }

    bool skipSemicolons() {
        while (has() && token().isSymbol(';'))
            ++pos_;
        return has();
    }

    // Unterminated strings, names and comments, which the tokenizer lets run to the end.
    void checkDelimiters(size_t from) {
        for (const SqlToken& part : tokenize(batch_.substr(from), quoted_)) {
            const std::string_view text = part.text;
            if (part.kind == SqlTokenKind::Comment && text.substr(0, 2) == "/*" &&
                (text.size() < 4 || text.substr(text.size() - 2) != "*/"))
                throw ServerError(113, "Missing end comment mark '*/'.", 15, 1,
                                  lineAt(batch_, text.data()));
            const bool delimited = part.kind == SqlTokenKind::String ||
                                   part.kind == SqlTokenKind::Bracketed ||
                                   part.kind == SqlTokenKind::QuotedName;
            if (delimited && !closed(part))
                throw ServerError(105,
                                  "Unclosed quotation mark after the character string '" +
                                      std::string(text.substr(text.find_first_of("'\"[") + 1)) +
                                      "'.",
                                  15, 1, lineAt(batch_, text.data()));
        }
    }

    static bool closed(const SqlToken& token) {
        const std::string_view text = token.text;
        const size_t open = text.find_first_of("'\"[");
        const char close = text[open] == '[' ? ']' : text[open];
        size_t at = open + 1;
        while (at < text.size()) {
            if (text[at] == close) {
                if (at + 1 < text.size() && text[at + 1] == close) {
                    at += 2;
                    continue;
                }
                return at + 1 == text.size();
            }
            ++at;
        }
        return false;
    }

    // SET QUOTED_IDENTIFIER takes effect as it is parsed: what follows is read anew.
    void quotedIdentifierSetting(const Statement& statement) {
        if (!statement.startsWith("set") || !statement.startsWith("quoted_identifier", 1) ||
            statement.tokens.size() != 3)
            return;
        const bool on = statement.tokens[2].isWord("on");
        if (on == quoted_)
            return;
        quoted_ = on;
        const SqlToken& last = statement.tokens.back();
        const size_t from =
            static_cast<size_t>(last.text.data() + last.text.size() - batch_.data());
        tokens_.resize(pos_);
        for (const SqlToken& next : significant(batch_.substr(from), quoted_))
            tokens_.push_back(next);
    }

    Statement begin(StatementKind kind) const {
        Statement statement;
        statement.kind = kind;
        statement.line = lineAt(batch_, token().text.data());
        statement.quotedIdentifiers = quoted_;
        return statement;
    }

    void finish(Statement& statement, size_t from) const {
        statement.tokens.assign(tokens_.begin() + static_cast<std::ptrdiff_t>(from),
                                tokens_.begin() + static_cast<std::ptrdiff_t>(pos_));
        const SqlToken& first = tokens_[from];
        const SqlToken& last = tokens_[pos_ - 1];
        statement.text = std::string_view(
            first.text.data(),
            static_cast<size_t>(last.text.data() + last.text.size() - first.text.data()));
    }

    Statement statement(bool firstOfBatch) {
        const SqlToken& first = token();
        if (first.isWord("begin") && !isAnyOf(token(1), {"tran", "transaction", "distributed"}))
            return block();
        if (first.isWord("if") || first.isWord("while"))
            return conditional(first.isWord("if") ? StatementKind::If : StatementKind::While);
        if (first.isWord("create") &&
            isAnyOf(token(1), {"procedure", "proc", "function", "view", "trigger", "schema"}))
            return module(firstOfBatch);
        if (first.isWord("else") || first.isWord("end") ||
            !(first.kind == SqlTokenKind::Word || first.isName()))
            fail(batch_, first);
        if (!startsStatement(first) && !firstOfBatch)
            fail(batch_, first); // a procedure's name is a statement only first in a batch
        return simple(isSqlStatement(first) ? StatementKind::Sql : StatementKind::Server);
    }

    // BEGIN statements END
    Statement block() {
        Statement statement = begin(StatementKind::Block);
        const size_t from = pos_++;
        while (true) {
            if (!skipSemicolons())
                throw syntaxErrorAtEnd(batch_, tokens_);
            if (token().isWord("end"))
                break;
            statement.body.push_back(this->statement(false));
        }
        ++pos_;
        finish(statement, from);
        return statement;
    }

    // IF condition statement [ELSE statement], WHILE condition statement
    Statement conditional(StatementKind kind) {
        Statement statement = begin(kind);
        const size_t from = pos_++;
        const size_t conditionStart = pos_;
        int depth = 0;
        while (has() && !(depth == 0 && startsStatement(token()) && pos_ > conditionStart)) {
            depth += token().isSymbol('(') ? 1 : token().isSymbol(')') ? -1 : 0;
            ++pos_;
        }
        if (pos_ == conditionStart || !has())
            throw has() ? syntaxErrorNear(batch_, token()) : syntaxErrorAtEnd(batch_, tokens_);
        const SqlToken& last = tokens_[pos_ - 1];
        statement.condition =
            std::string_view(tokens_[conditionStart].text.data(),
                             static_cast<size_t>(last.text.data() + last.text.size() -
                                                 tokens_[conditionStart].text.data()));
        statement.body.push_back(this->statement(false));
        if (kind == StatementKind::If) {
            skipSemicolons();
            if (has() && token().isWord("else")) {
                ++pos_;
                if (!skipSemicolons())
                    throw syntaxErrorAtEnd(batch_, tokens_);
                statement.body.push_back(this->statement(false));
            }
        }
        finish(statement, from);
        return statement;
    }

    // CREATE PROCEDURE, FUNCTION, VIEW and TRIGGER take the rest of the batch and must begin it.
    Statement module(bool firstOfBatch) {
        const SqlToken& what = token(1);
        if (!firstOfBatch && !what.isWord("schema")) {
            std::string kind = lowerAscii(what.text);
            std::transform(kind.begin(), kind.end(), kind.begin(),
                           [](char c) { return static_cast<char>(std::toupper(c)); });
            if (kind == "PROC" || kind == "PROCEDURE")
                kind = "CREATE/ALTER PROCEDURE";
            else
                kind = "CREATE " + kind;
            throw ServerError(111, "'" + kind + "' must be the first statement in a query batch.",
                              15, 1, lineAt(batch_, token().text.data()));
        }
        if (what.isWord("schema")) {
            if (!firstOfBatch)
                throw ServerError(111,
                                  "'CREATE SCHEMA' must be the first statement in a query batch.",
                                  15, 1, lineAt(batch_, token().text.data()));
            return simple(StatementKind::Server);
        }
        Statement statement = begin(StatementKind::Module);
        const size_t from = pos_;
        pos_ = tokens_.size();
        finish(statement, from);
        return statement;
    }

    // Anything else runs until a word that starts another statement, outside parentheses and
    // CASE ... END, and that cannot continue this one.
    Statement simple(StatementKind kind) {
        Statement statement = begin(kind);
        const size_t from = pos_++;
        int depth = 0, cases = 0;
        bool mainVerb = !tokens_[from].isWord("with"), selected = false, setSeen = false;
        const SqlToken* head = &tokens_[from];
        for (; has(); ++pos_) {
            const SqlToken& t = token();
            if (t.isSymbol('(')) {
                ++depth;
            } else if (t.isSymbol(')')) {
                if (depth-- == 0)
                    fail(batch_, t);
            } else if (depth == 0 && t.isSymbol(';')) {
                break;
            } else if (depth == 0 && t.isWord("case")) {
                ++cases;
            } else if (depth == 0 && t.isWord("end")) {
                if (cases == 0)
                    break;
                --cases;
            } else if (depth == 0 && cases == 0 && t.isWord("else")) {
                break;
            } else if (depth == 0 && t.isWord("values")) {
                selected = true; // INSERT ... VALUES has its rows: a SELECT or EXEC is another
                                 // statement
            } else if (depth == 0 && cases == 0 && startsStatement(t)) {
                if (!continues(head, t, mainVerb, selected, setSeen))
                    break;
            }
        }
        if (depth > 0)
            throw syntaxErrorAtEnd(batch_, tokens_);
        finish(statement, from);
        return statement;
    }

    // Whether a statement word continues the statement that began with `head` (after a WITH,
    // its main verb).
    bool continues(const SqlToken*& headToken, const SqlToken& word, bool& mainVerb, bool& selected,
                   bool& setSeen) const {
        const SqlToken& previous = tokens_[pos_ - 1];
        if (word.isWord("with"))
            return !(token(1).isName() && (token(2).isWord("as") || token(2).isSymbol('(')));
        if (!mainVerb && isAnyOf(word, {"select", "insert", "update", "delete", "merge"})) {
            headToken = &word;
            return mainVerb = true;
        }
        const SqlToken& head = *headToken;
        if (word.isWord("select")) {
            if (isAnyOf(previous, {"union", "all", "except", "intersect", "for"}))
                return true;
            if (head.isWord("insert") && !selected)
                return selected = true;
            return false;
        }
        if (isAnyOf(word, {"exec", "execute"}))
            return head.isWord("insert") && !selected && (selected = true);
        if (isAnyOf(word, {"insert", "update", "delete"}))
            return isAnyOf(previous, {"on", "for", "of", "instead"});
        if (word.isWord("set")) {
            if (head.isWord("update") && !setSeen)
                return setSeen = true;
            return head.isWord("alter");
        }
        if (word.isWord("if"))
            return isAnyOf(previous, {"table", "view", "procedure", "proc", "function", "trigger",
                                      "index", "schema", "type", "database", "sequence", "synonym",
                                      "default", "rule", "user", "role"});
        if (word.isWord("drop") || word.isWord("create"))
            return head.isWord("alter");
        return false;
    }

    std::string_view batch_;
    bool quoted_;
    std::vector<SqlToken> tokens_;
    size_t pos_ = 0;
};

// SQL Server's reserved keywords (Transact-SQL reference, "Reserved keywords").
constexpr std::string_view reservedKeywords[] = {"add",
                                                 "all",
                                                 "alter",
                                                 "and",
                                                 "any",
                                                 "as",
                                                 "asc",
                                                 "authorization",
                                                 "backup",
                                                 "begin",
                                                 "between",
                                                 "break",
                                                 "browse",
                                                 "bulk",
                                                 "by",
                                                 "cascade",
                                                 "case",
                                                 "check",
                                                 "checkpoint",
                                                 "close",
                                                 "clustered",
                                                 "coalesce",
                                                 "collate",
                                                 "column",
                                                 "commit",
                                                 "compute",
                                                 "constraint",
                                                 "contains",
                                                 "containstable",
                                                 "continue",
                                                 "convert",
                                                 "create",
                                                 "cross",
                                                 "current",
                                                 "current_date",
                                                 "current_time",
                                                 "current_timestamp",
                                                 "current_user",
                                                 "cursor",
                                                 "database",
                                                 "dbcc",
                                                 "deallocate",
                                                 "declare",
                                                 "default",
                                                 "delete",
                                                 "deny",
                                                 "desc",
                                                 "disk",
                                                 "distinct",
                                                 "distributed",
                                                 "double",
                                                 "drop",
                                                 "dump",
                                                 "else",
                                                 "end",
                                                 "errlvl",
                                                 "escape",
                                                 "except",
                                                 "exec",
                                                 "execute",
                                                 "exists",
                                                 "exit",
                                                 "external",
                                                 "fetch",
                                                 "file",
                                                 "fillfactor",
                                                 "for",
                                                 "foreign",
                                                 "freetext",
                                                 "freetexttable",
                                                 "from",
                                                 "full",
                                                 "function",
                                                 "goto",
                                                 "grant",
                                                 "group",
                                                 "having",
                                                 "holdlock",
                                                 "identity",
                                                 "identity_insert",
                                                 "identitycol",
                                                 "if",
                                                 "in",
                                                 "index",
                                                 "inner",
                                                 "insert",
                                                 "intersect",
                                                 "into",
                                                 "is",
                                                 "join",
                                                 "key",
                                                 "kill",
                                                 "left",
                                                 "like",
                                                 "lineno",
                                                 "load",
                                                 "merge",
                                                 "national",
                                                 "nocheck",
                                                 "nonclustered",
                                                 "not",
                                                 "null",
                                                 "nullif",
                                                 "of",
                                                 "off",
                                                 "offsets",
                                                 "on",
                                                 "open",
                                                 "opendatasource",
                                                 "openquery",
                                                 "openrowset",
                                                 "openxml",
                                                 "option",
                                                 "or",
                                                 "order",
                                                 "outer",
                                                 "over",
                                                 "percent",
                                                 "pivot",
                                                 "plan",
                                                 "precision",
                                                 "primary",
                                                 "print",
                                                 "proc",
                                                 "procedure",
                                                 "public",
                                                 "raiserror",
                                                 "read",
                                                 "readtext",
                                                 "reconfigure",
                                                 "references",
                                                 "replication",
                                                 "restore",
                                                 "restrict",
                                                 "return",
                                                 "revert",
                                                 "revoke",
                                                 "right",
                                                 "rollback",
                                                 "rowcount",
                                                 "rowguidcol",
                                                 "rule",
                                                 "save",
                                                 "schema",
                                                 "securityaudit",
                                                 "select",
                                                 "semantickeyphrasetable",
                                                 "semanticsimilaritydetailstable",
                                                 "semanticsimilaritytable",
                                                 "session_user",
                                                 "set",
                                                 "setuser",
                                                 "shutdown",
                                                 "some",
                                                 "statistics",
                                                 "system_user",
                                                 "table",
                                                 "tablesample",
                                                 "textsize",
                                                 "then",
                                                 "to",
                                                 "top",
                                                 "tran",
                                                 "transaction",
                                                 "trigger",
                                                 "truncate",
                                                 "try_convert",
                                                 "tsequal",
                                                 "union",
                                                 "unique",
                                                 "unpivot",
                                                 "update",
                                                 "updatetext",
                                                 "use",
                                                 "user",
                                                 "values",
                                                 "varying",
                                                 "view",
                                                 "waitfor",
                                                 "when",
                                                 "where",
                                                 "while",
                                                 "with",
                                                 "within",
                                                 "writetext"};

} // namespace

std::vector<Statement> parseBatch(std::string_view batch, bool quotedIdentifiers) {
    return BatchParser(batch, quotedIdentifiers).parse();
}

int lineAt(std::string_view text, const char* position) {
    const auto end = text.begin() + (position - text.data());
    return 1 + static_cast<int>(std::count(text.begin(), end, '\n'));
}

bool isReservedKeyword(std::string_view word) {
    const std::string lower = lowerAscii(word);
    return std::find(std::begin(reservedKeywords), std::end(reservedKeywords), lower) !=
           std::end(reservedKeywords);
}

ServerError syntaxErrorNear(std::string_view text, const SqlToken& token) {
    const int line = lineAt(text, token.text.data());
    if (token.kind == SqlTokenKind::Word && isReservedKeyword(token.text))
        return ServerError(156,
                           "Incorrect syntax near the keyword '" + std::string(token.text) + "'.",
                           15, 1, line);
    return ServerError(102, "Incorrect syntax near '" + std::string(token.text) + "'.", 15, 1,
                       line);
}

ServerError syntaxErrorAtEnd(std::string_view text, const std::vector<SqlToken>& tokens) {
    if (tokens.empty())
        return ServerError(102, "Incorrect syntax near ''.", 15, 1, lineAt(text, text.end()));
    return syntaxErrorNear(text, tokens.back());
}

} // namespace velmora::tds
