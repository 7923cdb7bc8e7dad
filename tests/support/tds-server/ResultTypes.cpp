#include "ResultTypes.h"

#include "SqlText.h"
#include "Text.h"

#include <algorithm>
#include <array>

namespace velmora::tds {

namespace {

constexpr int maxPrecision = 38;

// Data type precedence, lowest first ("Data type precedence (Transact-SQL)").
int precedence(TypeKind kind) {
    static constexpr std::array<TypeKind, 26> order = {TypeKind::Binary,
                                                       TypeKind::VarBinary,
                                                       TypeKind::Char,
                                                       TypeKind::VarChar,
                                                       TypeKind::NChar,
                                                       TypeKind::NVarChar,
                                                       TypeKind::UniqueIdentifier,
                                                       TypeKind::Image,
                                                       TypeKind::Text,
                                                       TypeKind::NText,
                                                       TypeKind::Bit,
                                                       TypeKind::TinyInt,
                                                       TypeKind::SmallInt,
                                                       TypeKind::Int,
                                                       TypeKind::BigInt,
                                                       TypeKind::SmallMoney,
                                                       TypeKind::Money,
                                                       TypeKind::Decimal,
                                                       TypeKind::Numeric,
                                                       TypeKind::Real,
                                                       TypeKind::Float,
                                                       TypeKind::Time,
                                                       TypeKind::Date,
                                                       TypeKind::SmallDateTime,
                                                       TypeKind::DateTime,
                                                       TypeKind::DateTime2};
    const auto found = std::find(order.begin(), order.end(), kind);
    int rank = static_cast<int>(found - order.begin());
    // decimal and numeric are one type.
    return kind == TypeKind::Numeric ? rank - 1 : rank;
}

bool isDecimal(TypeKind kind) {
    return kind == TypeKind::Decimal || kind == TypeKind::Numeric;
}

bool isInteger(TypeKind kind) {
    return kind == TypeKind::TinyInt || kind == TypeKind::SmallInt || kind == TypeKind::Int ||
           kind == TypeKind::BigInt;
}

bool isExactNumber(TypeKind kind) {
    return isInteger(kind) || isDecimal(kind) || kind == TypeKind::Bit || kind == TypeKind::Money ||
           kind == TypeKind::SmallMoney;
}

bool isNumber(TypeKind kind) {
    return isExactNumber(kind) || kind == TypeKind::Float || kind == TypeKind::Real;
}

// A number's precision and scale as a decimal: an int is decimal(10,0), money decimal(19,4).
std::pair<int, int> asDecimal(const SqlType& type) {
    switch (type.kind) {
    case TypeKind::Bit:
        return {1, 0};
    case TypeKind::TinyInt:
        return {3, 0};
    case TypeKind::SmallInt:
        return {5, 0};
    case TypeKind::Int:
        return {10, 0};
    case TypeKind::BigInt:
        return {19, 0};
    case TypeKind::SmallMoney:
        return {10, 4};
    case TypeKind::Money:
        return {19, 4};
    default:
        return {type.precision, type.scale};
    }
}

SqlType decimalOfKind(TypeKind kind, int precision, int scale) {
    SqlType type = SqlType::decimal(precision, scale);
    type.kind = kind;
    return type;
}

// decimal or numeric: a decimal column keeps its name through arithmetic, literals are numeric.
TypeKind decimalKind(const SqlType& a, const SqlType& b) {
    return a.kind == TypeKind::Decimal || b.kind == TypeKind::Decimal ? TypeKind::Decimal
                                                                      : TypeKind::Numeric;
}

// A precision over 38 is cut to 38 and the scale cut so that the integral part keeps its
// digits ("Precision, scale, and length": addition, subtraction, UNION and modulo).
SqlType boundedSum(TypeKind kind, int precision, int scale, int integral) {
    if (precision > maxPrecision) {
        precision = maxPrecision;
        scale = std::max(0, maxPrecision - integral);
    }
    return decimalOfKind(kind, precision, scale);
}

// Multiplication and division: the scale gives way to the integral part, but not below 6
// when that part needs more than 32 digits.
SqlType boundedProduct(TypeKind kind, int precision, int scale) {
    if (precision > maxPrecision) {
        const int integral = precision - scale;
        if (integral < 32)
            scale = std::min(scale, maxPrecision - integral);
        else if (scale > 6)
            scale = 6;
        precision = maxPrecision;
    }
    return decimalOfKind(kind, precision, scale);
}

int unionLength(const SqlType& a, const SqlType& b) {
    if (a.isMax() || b.isMax())
        return maxLength;
    return std::max(a.length, b.length);
}

} // namespace

SqlType unionType(const SqlType& a, const SqlType& b) {
    const SqlType& higher = precedence(a.kind) >= precedence(b.kind) ? a : b;
    const SqlType& lower = &higher == &a ? b : a;
    if (isDecimal(higher.kind) && isExactNumber(lower.kind)) {
        const auto [p1, s1] = asDecimal(a);
        const auto [p2, s2] = asDecimal(b);
        const int scale = std::max(s1, s2);
        const int integral = std::max(p1 - s1, p2 - s2);
        return boundedSum(decimalKind(a, b), integral + scale, scale, integral);
    }
    if (higher.isCharacter() && lower.isCharacter()) {
        SqlType type = SqlType::of(higher.kind, unionLength(a, b));
        // char with varchar is varchar: a fixed length holds only when both have it.
        if (type.kind == TypeKind::NChar && lower.kind != TypeKind::NChar)
            type.kind = TypeKind::NVarChar;
        if (type.kind == TypeKind::Char && lower.kind != TypeKind::Char)
            type.kind = TypeKind::VarChar;
        if (type.isUnicode() && type.length > 4000)
            type.length = maxLength;
        return type;
    }
    if (higher.isBinary() && lower.isBinary()) {
        SqlType type = SqlType::of(higher.kind, unionLength(a, b));
        if (type.kind == TypeKind::Binary && lower.kind != TypeKind::Binary)
            type.kind = TypeKind::VarBinary;
        return type;
    }
    SqlType type = higher;
    type.identity = false;
    return type;
}

std::optional<SqlType> arithmeticType(char op, const SqlType& a, const SqlType& b) {
    const bool numbers = isNumber(a.kind) || isNumber(b.kind);
    const bool otherwiseCharacter = (isNumber(a.kind) || a.isCharacter()) &&
                                    (isNumber(b.kind) || b.isCharacter()) && !a.isLong() &&
                                    !b.isLong();
    if (!numbers || !otherwiseCharacter)
        return std::nullopt; // concatenation, dates, binary: not modelled
    const SqlType& higher = precedence(a.kind) >= precedence(b.kind) ? a : b;
    const SqlType& lower = &higher == &a ? b : a;
    if (op == '&' || op == '|' || op == '^') {
        if (!isInteger(higher.kind) || !(isInteger(lower.kind) || lower.kind == TypeKind::Bit))
            return std::nullopt;
        return SqlType::of(higher.kind);
    }
    if (higher.kind == TypeKind::Float || higher.kind == TypeKind::Real)
        return SqlType::of(higher.kind);
    if (isDecimal(higher.kind)) {
        if (!isExactNumber(lower.kind))
            return std::nullopt; // a string's digits are not known before it runs
        const auto [p1, s1] = asDecimal(a);
        const auto [p2, s2] = asDecimal(b);
        const TypeKind kind = decimalKind(a, b);
        switch (op) {
        case '+':
        case '-': {
            const int scale = std::max(s1, s2);
            const int integral = std::max(p1 - s1, p2 - s2);
            return boundedSum(kind, integral + scale + 1, scale, integral);
        }
        case '*':
            return boundedProduct(kind, p1 + p2 + 1, s1 + s2);
        case '/': {
            const int scale = std::max(6, s1 + p2 + 1);
            return boundedProduct(kind, p1 - s1 + s2 + scale, scale);
        }
        case '%': {
            const int scale = std::max(s1, s2);
            const int integral = std::min(p1 - s1, p2 - s2);
            return boundedSum(kind, integral + scale, scale, integral);
        }
        default:
            return std::nullopt;
        }
    }
    if (higher.kind == TypeKind::Bit)
        return SqlType::of(TypeKind::Int);
    // money, smallmoney, the integers: the type of higher precedence.
    return SqlType::of(higher.kind);
}

std::optional<SqlType> castTargetType(std::string_view written) {
    auto type = parseDeclaredType(lowerAscii(written));
    if (!type)
        return std::nullopt;
    const bool sized = written.find('(') != std::string_view::npos;
    if (!sized &&
        (type->kind == TypeKind::Char || type->kind == TypeKind::VarChar ||
         type->kind == TypeKind::NChar || type->kind == TypeKind::NVarChar ||
         type->kind == TypeKind::Binary || type->kind == TypeKind::VarBinary) &&
        !equalsIgnoringCase(written, "sysname"))
        type->length = 30;
    return type;
}

namespace {

// An expression's type; an untyped NULL gives way to the other operand's type in CASE,
// COALESCE and ISNULL, and is int alone.
struct Typed {
    SqlType type;
    bool untypedNull = false;
};
using MaybeTyped = std::optional<Typed>;

Typed typed(SqlType type) {
    return {type, false};
}

MaybeTyped unionOf(const MaybeTyped& a, const MaybeTyped& b) {
    if (!a || !b)
        return std::nullopt;
    if (a->untypedNull)
        return b;
    if (b->untypedNull)
        return a;
    return typed(unionType(a->type, b->type));
}

bool endsOperand(const SqlToken& token) {
    return token.kind == SqlTokenKind::Number || token.kind == SqlTokenKind::String ||
           token.kind == SqlTokenKind::Variable || token.isName() || token.isSymbol(')');
}

bool isArithmetic(const SqlToken& token, std::string_view operators) {
    return token.kind == SqlTokenKind::Symbol &&
           operators.find(token.text[0]) != std::string_view::npos;
}

// The literal's type ("Constants (Transact-SQL)"): an integer beyond int is numeric.
MaybeTyped numberType(std::string_view text) {
    if (text.size() > 1 && (text[1] == 'x' || text[1] == 'X')) {
        const size_t digits = text.size() - 2;
        const int bytes = static_cast<int>(std::max<size_t>(1, (digits + 1) / 2));
        return typed(SqlType::of(TypeKind::VarBinary, bytes <= 8000 ? bytes : maxLength));
    }
    if (text.find_first_of("eE") != std::string_view::npos)
        return typed(SqlType::of(TypeKind::Float));
    const size_t point = text.find('.');
    std::string_view integral = text.substr(0, point);
    while (!integral.empty() && integral.front() == '0')
        integral.remove_prefix(1);
    const int scale =
        point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
    const int precision = std::max(1, static_cast<int>(integral.size()) + scale);
    if (precision > maxPrecision)
        return typed(SqlType::of(TypeKind::Float));
    if (point == std::string_view::npos &&
        (integral.size() < 10 || (integral.size() == 10 && integral <= "2147483647")))
        return typed(SqlType::of(TypeKind::Int));
    return typed(decimalOfKind(TypeKind::Numeric, precision, scale));
}

MaybeTyped stringType(const SqlToken& token) {
    const bool unicode = token.text[0] == 'N' || token.text[0] == 'n';
    const size_t units = utf8ToUtf16(stringValue(token)).size() / 2;
    const size_t limit = unicode ? 4000 : 8000;
    const int length = units > limit ? maxLength : static_cast<int>(std::max<size_t>(1, units));
    return typed(SqlType::of(unicode ? TypeKind::NVarChar : TypeKind::VarChar, length));
}

MaybeTyped globalVariableType(const std::string& name) {
    if (name == "@@rowcount" || name == "@@trancount" || name == "@@error" ||
        name == "@@fetch_status")
        return typed(SqlType::of(TypeKind::Int));
    if (name == "@@identity")
        return typed(decimalOfKind(TypeKind::Numeric, 38, 0));
    if (name == "@@spid")
        return typed(SqlType::of(TypeKind::SmallInt));
    if (name == "@@version")
        return typed(SqlType::of(TypeKind::NVarChar, 300));
    if (name == "@@servername" || name == "@@servicename")
        return typed(SqlType::of(TypeKind::NVarChar, 128));
    return std::nullopt;
}

// Types the expressions of a select list; column references are handed to `column`, which
// gives their declared types (or collects them for the probe).
class ExpressionTyper {
public:
    using ColumnLookup = std::function<MaybeTyped(std::string_view reference)>;

    ExpressionTyper(const std::vector<SqlToken>& tokens, ColumnLookup column,
                    const TypeSources& sources)
        : tokens_(tokens), column_(std::move(column)), sources_(sources) {}

    // The tokens [begin, end) as one expression.
    MaybeTyped typeOf(size_t begin, size_t end) {
        if (begin >= end)
            return std::nullopt;
        // COLLATE changes the collation only.
        if (end - begin > 2 && at(end - 2).isWord("collate") && depthOfRangeIsFlat(begin, end - 2))
            return typeOf(begin, end - 2);
        size_t additive = SIZE_MAX, multiplicative = SIZE_MAX;
        int depth = 0;
        for (size_t i = begin; i < end; ++i) {
            const SqlToken& token = at(i);
            if (opens(token))
                ++depth;
            else if (closes(token))
                --depth;
            if (depth != 0 || token.kind != SqlTokenKind::Symbol)
                continue;
            const bool binary =
                i > begin && endsOperand(at(i - 1)) &&
                !(at(i - 1).kind == SqlTokenKind::Word && isOperatorWord(at(i - 1)));
            if (binary && isArithmetic(token, "+-&|^"))
                additive = i;
            else if (binary && isArithmetic(token, "*/%"))
                multiplicative = i;
            else if (!isArithmetic(token, "+-~*/%&|^()"))
                return std::nullopt; // a comparison, or something the server does not know
        }
        if (depth != 0)
            return std::nullopt;
        const size_t split = additive != SIZE_MAX ? additive : multiplicative;
        if (split != SIZE_MAX) {
            const MaybeTyped left = typeOf(begin, split);
            const MaybeTyped right = typeOf(split + 1, end);
            if (!left || !right)
                return std::nullopt;
            const SqlType a = left->untypedNull ? SqlType::of(TypeKind::Int) : left->type;
            const SqlType b = right->untypedNull ? SqlType::of(TypeKind::Int) : right->type;
            const auto result = arithmeticType(at(split).text[0], a, b);
            return result ? MaybeTyped(typed(*result)) : std::nullopt;
        }
        if (isArithmetic(at(begin), "+-~")) {
            MaybeTyped operand = typeOf(begin + 1, end);
            if (operand && (operand->untypedNull || isNumber(operand->type.kind)))
                return typed(operand->untypedNull ? SqlType::of(TypeKind::Int) : operand->type);
            return std::nullopt;
        }
        return primary(begin, end);
    }

private:
    const SqlToken& at(size_t i) const { return tokens_[i]; }

    static bool opens(const SqlToken& token) { return token.isSymbol('(') || token.isWord("case"); }
    static bool closes(const SqlToken& token) { return token.isSymbol(')') || token.isWord("end"); }

    static bool isOperatorWord(const SqlToken& token) {
        for (std::string_view word : {"and", "or", "not", "when", "then", "else", "like", "in",
                                      "is", "between", "as", "case"})
            if (token.isWord(word))
                return true;
        return false;
    }

    bool depthOfRangeIsFlat(size_t begin, size_t end) const {
        int depth = 0;
        for (size_t i = begin; i < end; ++i)
            depth += opens(at(i)) ? 1 : closes(at(i)) ? -1 : 0;
        return depth == 0;
    }

    // The token that closes the one at `open` (a parenthesis or CASE), or SIZE_MAX.
    size_t closing(size_t open, size_t end) const {
        int depth = 0;
        for (size_t i = open; i < end; ++i) {
            depth += opens(at(i)) ? 1 : closes(at(i)) ? -1 : 0;
            if (depth == 0)
                return i;
        }
        return SIZE_MAX;
    }

    // The arguments of a call whose parenthesis is at `open`, split at its own commas.
    std::vector<std::pair<size_t, size_t>> arguments(size_t open, size_t close) const {
        std::vector<std::pair<size_t, size_t>> list;
        if (close == open + 1)
            return list;
        int depth = 0;
        size_t start = open + 1;
        for (size_t i = open + 1; i < close; ++i) {
            depth += opens(at(i)) ? 1 : closes(at(i)) ? -1 : 0;
            if (depth == 0 && at(i).isSymbol(',')) {
                list.emplace_back(start, i);
                start = i + 1;
            }
        }
        list.emplace_back(start, close);
        return list;
    }

    std::string_view span(size_t begin, size_t end) const {
        const char* first = at(begin).text.data();
        const SqlToken& last = at(end - 1);
        return {first, static_cast<size_t>(last.text.data() + last.text.size() - first)};
    }

    MaybeTyped primary(size_t begin, size_t end) {
        const SqlToken& first = at(begin);
        if (end - begin == 1) {
            if (first.kind == SqlTokenKind::Number)
                return numberType(first.text);
            if (first.kind == SqlTokenKind::String)
                return stringType(first);
            if (first.isWord("null"))
                return Typed{SqlType::of(TypeKind::Int), true};
            if (first.isWord("current_timestamp"))
                return typed(SqlType::of(TypeKind::DateTime));
            if (first.kind == SqlTokenKind::Variable) {
                const std::string name = lowerAscii(first.text);
                if (name.rfind("@@", 0) == 0)
                    return globalVariableType(name);
                if (sources_.variable)
                    if (const auto type = sources_.variable(std::string(first.text)))
                        return typed(*type);
                return std::nullopt;
            }
        }
        if (first.isSymbol('(') && closing(begin, end) == end - 1) {
            if (end - begin > 2 && at(begin + 1).isWord("select"))
                return std::nullopt; // a subquery
            return typeOf(begin + 1, end - 1);
        }
        if (first.isWord("case") && closing(begin, end) == end - 1)
            return caseType(begin, end);
        // A dotted name: a column, or a call.
        size_t i = begin;
        while (i + 2 < end && at(i).isName() && at(i + 1).isSymbol('.') && at(i + 2).isName())
            i += 2;
        if (!at(i).isName())
            return std::nullopt;
        if (i + 1 == end)
            return column_(span(begin, end));
        if (i == begin && at(i + 1).isSymbol('(') && closing(i + 1, end) == end - 1)
            return call(lowerAscii(at(i).text), i + 1, end - 1);
        return std::nullopt; // a schema's function, or more than the server knows
    }

    // CASE [input] WHEN ... THEN result ... [ELSE result] END: the results by precedence.
    MaybeTyped caseType(size_t begin, size_t end) {
        std::vector<size_t> marks; // THEN, ELSE, WHEN and the END, at the CASE's own depth
        int depth = 0;
        for (size_t i = begin + 1; i + 1 < end; ++i) {
            if (depth == 0 &&
                (at(i).isWord("when") || at(i).isWord("then") || at(i).isWord("else")))
                marks.push_back(i);
            depth += opens(at(i)) ? 1 : closes(at(i)) ? -1 : 0;
        }
        marks.push_back(end - 1);
        MaybeTyped result = Typed{SqlType::of(TypeKind::Int), true};
        for (size_t m = 0; m + 1 < marks.size(); ++m) {
            if (!at(marks[m]).isWord("then") && !at(marks[m]).isWord("else"))
                continue;
            result = unionOf(result, typeOf(marks[m] + 1, marks[m + 1]));
            if (!result)
                return std::nullopt;
        }
        return result;
    }

    MaybeTyped argument(const std::pair<size_t, size_t>& range) {
        size_t begin = range.first;
        if (begin < range.second && (at(begin).isWord("distinct") || at(begin).isWord("all")))
            ++begin;
        return typeOf(begin, range.second);
    }

    // The built-in functions' return types, as each function's page gives them.
    MaybeTyped call(const std::string& name, size_t open, size_t close) {
        const auto args = arguments(open, close);
        const auto count = args.size();
        const auto known = [](SqlType type) { return MaybeTyped(typed(type)); };
        if (name == "count" && count == 1)
            return known(SqlType::of(TypeKind::Int));
        if (name == "count_big" && count == 1)
            return known(SqlType::of(TypeKind::BigInt));
        if ((name == "getdate" || name == "getutcdate") && count == 0)
            return known(SqlType::of(TypeKind::DateTime));
        if ((name == "sysdatetime" || name == "sysutcdatetime") && count == 0)
            return known(SqlType{TypeKind::DateTime2, 0, 0, 7, false});
        if (name == "newid" && count == 0)
            return known(SqlType::of(TypeKind::UniqueIdentifier));
        if (name == "db_name" && count <= 1)
            return known(SqlType::of(TypeKind::NVarChar, 128));
        if ((name == "schema_name" || name == "object_name") && count <= 2)
            return known(SqlType::of(TypeKind::NVarChar, 128));
        if ((name == "schema_id" || name == "object_id" || name == "objectproperty") && count >= 1)
            return known(SqlType::of(TypeKind::Int));
        if (name == "scope_identity" && count == 0)
            return known(decimalOfKind(TypeKind::Numeric, 38, 0));
        if (name == "cast" && count == 1) {
            size_t as = SIZE_MAX;
            int depth = 0;
            for (size_t i = args[0].first; i < args[0].second; ++i) {
                if (depth == 0 && at(i).isWord("as"))
                    as = i;
                depth += opens(at(i)) ? 1 : closes(at(i)) ? -1 : 0;
            }
            if (as == SIZE_MAX || as + 1 >= args[0].second)
                return std::nullopt;
            const auto type = castTargetType(span(as + 1, args[0].second));
            return type ? known(*type) : std::nullopt;
        }
        if (name == "convert" && (count == 2 || count == 3)) {
            const auto type = castTargetType(span(args[0].first, args[0].second));
            return type ? known(*type) : std::nullopt;
        }
        if (count == 0)
            return std::nullopt;
        const MaybeTyped first = argument(args[0]);
        if (!first)
            return std::nullopt;
        const SqlType& type = first->type;
        if ((name == "len" || name == "datalength") && count == 1)
            return known(SqlType::of(type.isMax() && !first->untypedNull ? TypeKind::BigInt
                                                                         : TypeKind::Int));
        if ((name == "min" || name == "max") && count == 1)
            return first;
        if (name == "sum" && count == 1)
            return aggregate(*first, false);
        if (name == "avg" && count == 1)
            return aggregate(*first, true);
        if (name == "isnull" && count == 2) {
            if (!first->untypedNull)
                return first;
            return argument(args[1]);
        }
        if (name == "nullif" && count == 2)
            return first;
        if (name == "coalesce") {
            MaybeTyped result = first;
            for (size_t a = 1; a < count && result; ++a)
                result = unionOf(result, argument(args[a]));
            return result;
        }
        if ((name == "upper" || name == "lower" || name == "ltrim" || name == "rtrim") &&
            count == 1 && type.isCharacter() && !type.isLong())
            return first;
        if (name == "abs" && count == 1 && isNumber(type.kind) && type.kind != TypeKind::Bit)
            return first;
        if ((name == "year" || name == "month" || name == "day") && count == 1)
            return known(SqlType::of(TypeKind::Int));
        return std::nullopt;
    }

    // SUM and AVG ("SUM (Transact-SQL)", "AVG (Transact-SQL)"): the small integers give int,
    // a decimal decimal(38, s) (AVG at least 6 digits of scale), money money, the reals float.
    static MaybeTyped aggregate(const Typed& argument, bool average) {
        const SqlType& type = argument.type;
        if (argument.untypedNull)
            return std::nullopt;
        switch (type.kind) {
        case TypeKind::TinyInt:
        case TypeKind::SmallInt:
        case TypeKind::Int:
            return typed(SqlType::of(TypeKind::Int));
        case TypeKind::BigInt:
            return typed(SqlType::of(TypeKind::BigInt));
        case TypeKind::Decimal:
        case TypeKind::Numeric:
            return typed(decimalOfKind(type.kind, maxPrecision,
                                       average ? std::max(type.scale, 6) : type.scale));
        case TypeKind::Money:
        case TypeKind::SmallMoney:
            return typed(SqlType::of(TypeKind::Money));
        case TypeKind::Float:
        case TypeKind::Real:
            return typed(SqlType::of(TypeKind::Float));
        default:
            return std::nullopt;
        }
    }

    const std::vector<SqlToken>& tokens_;
    ColumnLookup column_;
    const TypeSources& sources_;
};

bool isWordIn(const SqlToken& token, std::initializer_list<std::string_view> words) {
    for (std::string_view word : words)
        if (token.isWord(word))
            return true;
    return false;
}

// One SELECT of a statement: its select list's items and the text around it.
struct SelectBranch {
    size_t listBegin = 0, listEnd = 0; // token indexes of the select list
    size_t end = 0;                    // of the branch, before UNION or ORDER BY
};

struct SelectItem {
    size_t begin = 0, end = 0; // the expression, without its alias
    bool star = false;
};

std::vector<SelectItem> itemsOf(const std::vector<SqlToken>& tokens, const SelectBranch& branch) {
    std::vector<SelectItem> items;
    int depth = 0;
    size_t start = branch.listBegin;
    for (size_t i = branch.listBegin; i <= branch.listEnd; ++i) {
        if (i < branch.listEnd) {
            depth += tokens[i].isSymbol('(') ? 1 : tokens[i].isSymbol(')') ? -1 : 0;
            if (depth != 0 || !tokens[i].isSymbol(','))
                continue;
        }
        SelectItem item{start, i, false};
        start = i + 1;
        if (item.begin >= item.end)
            return {};
        if (tokens[item.end - 1].isSymbol('*')) {
            item.star = true;
        } else if (item.end - item.begin > 2 && tokens[item.begin + 1].isSymbol('=') &&
                   (tokens[item.begin].isName() ||
                    tokens[item.begin].kind == SqlTokenKind::String)) {
            item.begin += 2; // alias = expression
        } else if (item.end - item.begin > 1) {
            const SqlToken& last = tokens[item.end - 1];
            const SqlToken& before = tokens[item.end - 2];
            if (before.isWord("as"))
                item.end -= 2;
            else if ((last.isName() || last.kind == SqlTokenKind::String) && !last.isWord("end") &&
                     !before.isSymbol('.') && endsOperand(before) &&
                     !(before.kind == SqlTokenKind::Word &&
                       isWordIn(before, {"case", "when", "then", "else", "collate"})))
                item.end -= 1; // expression alias
        }
        items.push_back(item);
    }
    return items;
}

// The statement's SELECTs, with the text before the first (a WITH clause); nothing when it is
// not a query.
struct Query {
    size_t prefixEnd = 0; // tokens before the first SELECT
    std::vector<SelectBranch> branches;
};

std::optional<Query> queryOf(const std::vector<SqlToken>& tokens) {
    Query query;
    int depth = 0;
    size_t i = 0;
    for (; i < tokens.size(); ++i) {
        if (depth == 0 && tokens[i].isWord("select"))
            break;
        depth += tokens[i].isSymbol('(') ? 1 : tokens[i].isSymbol(')') ? -1 : 0;
    }
    if (i == tokens.size() || (i > 0 && !tokens[0].isWord("with")))
        return std::nullopt;
    query.prefixEnd = i;
    while (i < tokens.size()) {
        if (!tokens[i].isWord("select"))
            return std::nullopt;
        SelectBranch branch;
        branch.listBegin = i + 1;
        while (branch.listBegin < tokens.size() &&
               isWordIn(tokens[branch.listBegin], {"distinct", "all"}))
            ++branch.listBegin;
        if (branch.listBegin < tokens.size() && tokens[branch.listBegin].isWord("top"))
            return std::nullopt;
        size_t j = branch.listBegin;
        branch.listEnd = SIZE_MAX;
        depth = 0;
        for (; j < tokens.size(); ++j) {
            const SqlToken& token = tokens[j];
            if (depth == 0) {
                if (branch.listEnd == SIZE_MAX &&
                    isWordIn(token, {"from", "where", "group", "having", "order", "into", "option",
                                     "for", "window", "union", "except", "intersect"}))
                    branch.listEnd = j;
                if (isWordIn(token, {"union", "except", "intersect", "order"}))
                    break;
            }
            depth += token.isSymbol('(') ? 1 : token.isSymbol(')') ? -1 : 0;
        }
        if (branch.listEnd == SIZE_MAX)
            branch.listEnd = j;
        branch.end = j;
        query.branches.push_back(branch);
        if (j == tokens.size() || tokens[j].isWord("order"))
            break;
        i = j + 1;
        if (i < tokens.size() && tokens[i].isWord("all"))
            ++i;
    }
    return query;
}

std::string_view textBetween(const std::vector<SqlToken>& tokens, size_t begin, size_t end) {
    if (begin >= end)
        return {};
    const char* first = tokens[begin].text.data();
    const SqlToken& last = tokens[end - 1];
    return {first, static_cast<size_t>(last.text.data() + last.text.size() - first)};
}

// The types of one branch's columns (`columns` of them).
std::vector<std::optional<SqlType>> branchTypes(const std::vector<SqlToken>& tokens,
                                                const Query& query, const SelectBranch& branch,
                                                size_t columns, const TypeSources& sources) {
    std::vector<std::optional<SqlType>> types(columns);
    const std::vector<SelectItem> items = itemsOf(tokens, branch);
    if (items.empty())
        return types;
    // First the column references, typed together by one probe.
    std::vector<std::string> references;
    std::vector<size_t> firstReference; // of each item
    const auto collect = [&](std::string_view reference) -> MaybeTyped {
        references.emplace_back(reference);
        return Typed{SqlType::of(TypeKind::Int), false};
    };
    for (const SelectItem& item : items) {
        firstReference.push_back(references.size());
        if (!item.star)
            ExpressionTyper(tokens, collect, sources).typeOf(item.begin, item.end);
    }
    firstReference.push_back(references.size());
    std::vector<std::optional<SqlType>> referenced;
    if (!references.empty()) {
        std::string probe(textBetween(tokens, 0, query.prefixEnd));
        probe += probe.empty() ? "select " : " select ";
        for (size_t r = 0; r < references.size(); ++r)
            probe += (r == 0 ? "" : ", ") + references[r];
        probe += " ";
        probe += textBetween(tokens, branch.listEnd, branch.end);
        referenced = sources.columns(probe);
        if (referenced.size() != references.size())
            return types;
    }
    std::vector<std::optional<SqlType>> itemTypes;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].star) {
            itemTypes.emplace_back();
            continue;
        }
        // The item's references come in the order the first pass met them.
        size_t next = firstReference[i];
        const auto lookUp = [&](std::string_view) -> MaybeTyped {
            if (next >= firstReference[i + 1] || !referenced[next])
                return std::nullopt;
            SqlType plain = *referenced[next++];
            plain.identity = false;
            return typed(plain);
        };
        const MaybeTyped type =
            ExpressionTyper(tokens, lookUp, sources).typeOf(items[i].begin, items[i].end);
        if (type)
            itemTypes.push_back(type->type);
        else
            itemTypes.emplace_back();
    }
    const auto star =
        std::find_if(items.begin(), items.end(), [](const SelectItem& item) { return item.star; });
    if (star == items.end()) {
        if (itemTypes.size() == columns)
            return itemTypes;
        return types;
    }
    // Around a *: the items before it are the first columns, those after the last the last.
    const size_t leading = static_cast<size_t>(star - items.begin());
    size_t trailing = 0;
    while (trailing < items.size() && !items[items.size() - 1 - trailing].star)
        ++trailing;
    if (leading + trailing > columns)
        return types;
    for (size_t c = 0; c < leading; ++c)
        types[c] = itemTypes[c];
    for (size_t c = 0; c < trailing; ++c)
        types[columns - 1 - c] = itemTypes[items.size() - 1 - c];
    return types;
}

} // namespace

bool isCompoundSelect(std::string_view statement, bool quotedIdentifiers) {
    const std::vector<SqlToken> tokens = significant(statement, quotedIdentifiers);
    const auto query = queryOf(tokens);
    return query && query->branches.size() > 1;
}

std::vector<std::optional<SqlType>> resultTypes(std::string_view statement, size_t columns,
                                                bool quotedIdentifiers,
                                                const TypeSources& sources) {
    std::vector<std::optional<SqlType>> types(columns);
    const std::vector<SqlToken> tokens = significant(statement, quotedIdentifiers);
    const auto query = queryOf(tokens);
    if (!query)
        return types;
    for (size_t b = 0; b < query->branches.size(); ++b) {
        const auto branch = branchTypes(tokens, *query, query->branches[b], columns, sources);
        for (size_t c = 0; c < columns; ++c) {
            if (b == 0)
                types[c] = branch[c];
            else if (types[c] && branch[c])
                types[c] = unionType(*types[c], *branch[c]);
            else
                types[c].reset();
        }
    }
    return types;
}

} // namespace velmora::tds
