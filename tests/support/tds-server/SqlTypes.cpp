#include "SqlTypes.h"

#include "Text.h"

#include <array>
#include <charconv>
#include <vector>

namespace velmora::tds {

namespace {

struct NamedKind {
    std::string_view name;
    TypeKind kind;
    int defaultLength; // or precision for decimal and numeric, scale for datetime2 and time
    bool canonical;    // the name the server reports for the kind
};

constexpr std::array<NamedKind, 31> namedKinds = {{
    {"tinyint", TypeKind::TinyInt, 0, true},
    {"smallint", TypeKind::SmallInt, 0, true},
    {"int", TypeKind::Int, 0, true},
    {"integer", TypeKind::Int, 0, false},
    {"bigint", TypeKind::BigInt, 0, true},
    {"bit", TypeKind::Bit, 0, true},
    {"boolean", TypeKind::Bit, 0, false},
    {"decimal", TypeKind::Decimal, 18, true},
    {"dec", TypeKind::Decimal, 18, false},
    {"numeric", TypeKind::Numeric, 18, true},
    {"money", TypeKind::Money, 0, true},
    {"smallmoney", TypeKind::SmallMoney, 0, true},
    {"float", TypeKind::Float, 0, true},
    {"double precision", TypeKind::Float, 0, false},
    {"real", TypeKind::Real, 0, true},
    {"datetime", TypeKind::DateTime, 0, true},
    {"smalldatetime", TypeKind::SmallDateTime, 0, true},
    {"datetime2", TypeKind::DateTime2, 7, true},
    {"date", TypeKind::Date, 0, true},
    {"time", TypeKind::Time, 7, true},
    {"uniqueidentifier", TypeKind::UniqueIdentifier, 0, true},
    {"char", TypeKind::Char, 1, true},
    {"varchar", TypeKind::VarChar, 1, true},
    {"nchar", TypeKind::NChar, 1, true},
    {"nvarchar", TypeKind::NVarChar, 1, true},
    {"sysname", TypeKind::NVarChar, 128, false},
    {"text", TypeKind::Text, 0, true},
    {"ntext", TypeKind::NText, 0, true},
    {"binary", TypeKind::Binary, 1, true},
    {"varbinary", TypeKind::VarBinary, 1, true},
    {"image", TypeKind::Image, 0, true},
}};

const NamedKind* findKind(std::string_view name) {
    for (const NamedKind& named : namedKinds)
        if (named.name == name)
            return &named;
    return nullptr;
}

std::string_view kindName(TypeKind kind) {
    for (const NamedKind& named : namedKinds)
        if (named.kind == kind && named.canonical)
            return named.name;
    return "?";
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::vector<int> arguments(std::string_view text) {
    std::vector<int> values;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view part = trimmed(text.substr(0, comma));
        int value = 0;
        if (equalsIgnoringCase(part, "max"))
            value = maxLength;
        else
            std::from_chars(part.data(), part.data() + part.size(), value);
        values.push_back(value);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return values;
}

// SQLite's affinity rules, for names SQL Server does not have.
SqlType byAffinity(const std::string& name) {
    if (name.find("int") != std::string::npos)
        return SqlType::of(TypeKind::BigInt);
    if (name.find("char") != std::string::npos || name.find("clob") != std::string::npos ||
        name.find("text") != std::string::npos)
        return SqlType::of(TypeKind::NVarChar, maxLength);
    if (name.find("blob") != std::string::npos)
        return SqlType::of(TypeKind::VarBinary, maxLength);
    return SqlType::of(TypeKind::Float);
}

} // namespace

bool SqlType::isUnicode() const {
    return kind == TypeKind::NChar || kind == TypeKind::NVarChar || kind == TypeKind::NText;
}

bool SqlType::isCharacter() const {
    return isUnicode() || kind == TypeKind::Char || kind == TypeKind::VarChar ||
           kind == TypeKind::Text;
}

bool SqlType::isBinary() const {
    return kind == TypeKind::Binary || kind == TypeKind::VarBinary || kind == TypeKind::Image;
}

bool SqlType::isLong() const {
    return isMax() || kind == TypeKind::Text || kind == TypeKind::NText || kind == TypeKind::Image;
}

std::string SqlType::typeName() const {
    std::string name(kindName(kind));
    return identity ? name + " identity" : name;
}

std::string SqlType::declaration() const {
    const std::string name(kindName(kind));
    switch (kind) {
    case TypeKind::Decimal:
    case TypeKind::Numeric:
        return name + "(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
    case TypeKind::DateTime2:
    case TypeKind::Time:
        return name + "(" + std::to_string(scale) + ")";
    case TypeKind::Char:
    case TypeKind::VarChar:
    case TypeKind::NChar:
    case TypeKind::NVarChar:
    case TypeKind::Binary:
    case TypeKind::VarBinary:
        return name + "(" + (isMax() ? std::string("max") : std::to_string(length)) + ")";
    default:
        return name;
    }
}

std::optional<SqlType> parseDeclaredType(std::string_view declared) {
    std::string text = lowerAscii(trimmed(declared));
    if (text.empty())
        return std::nullopt;
    bool identity = false;
    if (const size_t at = text.find(" identity"); at != std::string::npos) {
        identity = true;
        text.erase(at);
    }
    std::vector<int> args;
    if (const size_t open = text.find('('); open != std::string::npos) {
        const size_t close = text.find(')', open);
        args = arguments(std::string_view(text).substr(open + 1, close - open - 1));
        text = std::string(trimmed(std::string_view(text).substr(0, open)));
    }
    const NamedKind* named = findKind(text);
    if (named == nullptr)
        return byAffinity(text);
    SqlType type = SqlType::of(named->kind);
    type.identity = identity;
    const auto arg = [&](size_t i, int fallback) { return i < args.size() ? args[i] : fallback; };
    switch (named->kind) {
    case TypeKind::Decimal:
    case TypeKind::Numeric:
        type.precision = arg(0, named->defaultLength);
        type.scale = arg(1, 0);
        break;
    case TypeKind::Float:
        if (arg(0, 53) <= 24)
            type.kind = TypeKind::Real;
        break;
    case TypeKind::DateTime2:
    case TypeKind::Time:
        type.scale = arg(0, named->defaultLength);
        break;
    default:
        type.length = arg(0, named->defaultLength);
        break;
    }
    return type;
}

OdbcTypeInfo odbcTypeInfo(const SqlType& type) {
    const int length = type.length;
    switch (type.kind) {
    case TypeKind::TinyInt:
        return {-6, 3, 1, 0, 10, -6, {}, {}, 38};
    case TypeKind::SmallInt:
        return {5, 5, 2, 0, 10, 5, {}, {}, 38};
    case TypeKind::Int:
        return {4, 10, 4, 0, 10, 4, {}, {}, 38};
    case TypeKind::BigInt:
        return {-5, 19, 8, 0, 10, -5, {}, {}, 108};
    case TypeKind::Bit:
        return {-7, 1, 1, {}, {}, -7, {}, {}, 50};
    case TypeKind::Decimal:
        return {3, type.precision, type.precision + 2, type.scale, 10, 3, {}, {}, 106};
    case TypeKind::Numeric:
        return {2, type.precision, type.precision + 2, type.scale, 10, 2, {}, {}, 108};
    case TypeKind::Money:
        return {3, 19, 21, 4, 10, 3, {}, {}, 110};
    case TypeKind::SmallMoney:
        return {3, 10, 12, 4, 10, 3, {}, {}, 110};
    case TypeKind::Float:
        return {6, 15, 8, {}, 10, 6, {}, {}, 109};
    case TypeKind::Real:
        return {7, 7, 4, {}, 10, 7, {}, {}, 109};
    case TypeKind::DateTime:
        return {93, 23, 16, 3, {}, 9, 3, {}, 111};
    case TypeKind::SmallDateTime:
        return {93, 16, 16, 0, {}, 9, 3, {}, 111};
    case TypeKind::DateTime2:
        return {93, 19 + (type.scale > 0 ? type.scale + 1 : 0), 16, type.scale, {}, 9, 3, {}, 0};
    case TypeKind::Date:
        return {91, 10, 6, {}, {}, 9, 1, {}, 0};
    case TypeKind::Time:
        return {92, 8 + (type.scale > 0 ? type.scale + 1 : 0), 12, type.scale, {}, 9, 2, {}, 0};
    case TypeKind::UniqueIdentifier:
        return {-11, 36, 16, {}, {}, -11, {}, {}, 37};
    case TypeKind::Char:
        return {1, length, length, {}, {}, 1, {}, length, 47};
    case TypeKind::VarChar:
        if (type.isMax())
            return {-1, 2147483647, 2147483647, {}, {}, -1, {}, 2147483647, 39};
        return {12, length, length, {}, {}, 12, {}, length, 39};
    case TypeKind::NChar:
        return {-8, length, length * 2, {}, {}, -8, {}, length * 2, 47};
    case TypeKind::NVarChar:
        if (type.isMax())
            return {-10, 1073741823, 2147483646, {}, {}, -10, {}, 2147483646, 39};
        return {-9, length, length * 2, {}, {}, -9, {}, length * 2, 39};
    case TypeKind::Text:
        return {-1, 2147483647, 2147483647, {}, {}, -1, {}, 2147483647, 35};
    case TypeKind::NText:
        return {-10, 1073741823, 2147483646, {}, {}, -10, {}, 2147483646, 99};
    case TypeKind::Binary:
        return {-2, length, length, {}, {}, -2, {}, length, 45};
    case TypeKind::VarBinary:
        if (type.isMax())
            return {-4, 2147483647, 2147483647, {}, {}, -4, {}, 2147483647, 37};
        return {-3, length, length, {}, {}, -3, {}, length, 37};
    case TypeKind::Image:
        return {-4, 2147483647, 2147483647, {}, {}, -4, {}, 2147483647, 34};
    }
    return {};
}

} // namespace velmora::tds
