#include "Procedures.h"

#include "ServerError.h"
#include "SqlText.h"
#include "SystemCatalogue.h"

namespace velmora::tds {

namespace {

[[noreturn]] void notUnderstood(const std::string& why) {
    throw ServerError(102, "TDS test server: CREATE PROCEDURE or FUNCTION not understood: " + why);
}

class ProcedureParser {
public:
    explicit ProcedureParser(std::string_view text) : text_(text), tokens_(significant(text)) {}

    Procedure parse() {
        Procedure procedure;
        procedure.definition = std::string(text_);
        expectWord("create");
        procedure.function = accept("function");
        if (!procedure.function && !(accept("procedure") || accept("proc")))
            notUnderstood("expected PROCEDURE or FUNCTION");
        procedure.name = qualifiedName();
        const bool parenthesised = acceptSymbol('(');
        while (has() && token().kind == SqlTokenKind::Variable) {
            procedure.parameters.push_back(parameter());
            if (!acceptSymbol(','))
                break;
        }
        if (parenthesised && !acceptSymbol(')'))
            notUnderstood("expected ) after the parameters");
        if (procedure.function) {
            expectWord("returns");
            procedure.returnType = type();
        }
        while (has() && !token().isWord("as"))
            ++pos_; // WITH RECOMPILE and the like
        if (!has())
            notUnderstood("expected AS before the body");
        const SqlToken& as = token();
        procedure.body = std::string(unwrapBlock(
            text_.substr(static_cast<size_t>(as.text.data() - text_.data()) + as.text.size())));
        return procedure;
    }

private:
    bool has() const { return pos_ < tokens_.size(); }
    const SqlToken& token() const { return tokens_[pos_]; }
    bool accept(std::string_view word) {
        if (has() && token().isWord(word))
            return ++pos_, true;
        return false;
    }
    bool acceptSymbol(char c) {
        if (has() && token().isSymbol(c))
            return ++pos_, true;
        return false;
    }
    void expectWord(std::string_view word) {
        if (!accept(word))
            notUnderstood("expected " + std::string(word));
    }

    // "name", "dbo.name", "[Sales].[name]": the name SQLite keeps it under.
    std::string qualifiedName() {
        ObjectName name;
        while (has() && token().isName()) {
            name.schema = name.name.empty() ? name.schema : name.name;
            name.name = nameText(token());
            ++pos_;
            if (!acceptSymbol('.'))
                break;
        }
        if (name.name.empty())
            notUnderstood("expected the procedure's name");
        return name.stored();
    }

    ProcedureParameter parameter() {
        ProcedureParameter parameter;
        parameter.name = std::string(token().text);
        ++pos_;
        accept("as");
        parameter.type = type();
        if (acceptSymbol('=')) {
            if (!has())
                notUnderstood("expected a default value");
            std::string sign = acceptSymbol('-') ? "-" : "";
            parameter.defaultValue = sign + std::string(token().text);
            ++pos_;
        }
        parameter.output = accept("output") || accept("out");
        accept("readonly");
        return parameter;
    }

    SqlType type() {
        std::string type;
        while (has() && token().kind == SqlTokenKind::Word && !token().isWord("output") &&
               !token().isWord("out") && !token().isWord("readonly") && !token().isWord("as") &&
               !token().isWord("with"))
            type += (type.empty() ? "" : " ") + std::string(token().text), ++pos_;
        if (acceptSymbol('(')) {
            type += "(";
            while (has() && !token().isSymbol(')'))
                type += token().isWord("max") ? std::string("-1") : std::string(token().text),
                    ++pos_;
            acceptSymbol(')');
            type += ")";
        }
        const auto parsed = parseDeclaredType(type);
        if (!parsed)
            notUnderstood("expected a type");
        return *parsed;
    }

    // The statements inside BEGIN ... END, when the body is one block.
    static std::string_view unwrapBlock(std::string_view body) {
        const std::vector<SqlToken> tokens = significant(body);
        if (tokens.size() < 2 || !tokens.front().isWord("begin") || !tokens.back().isWord("end"))
            return body;
        const char* from = tokens.front().text.data() + tokens.front().text.size();
        return std::string_view(from, static_cast<size_t>(tokens.back().text.data() - from));
    }

    std::string_view text_;
    std::vector<SqlToken> tokens_;
    size_t pos_ = 0;
};

} // namespace

Procedure parseCreateProcedure(std::string_view text) {
    return ProcedureParser(text).parse();
}

} // namespace velmora::tds
