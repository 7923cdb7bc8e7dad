#pragma once
// The types SQL Server gives a SELECT's result columns that are expressions rather than a
// table's columns: literals ('x' varchar(1), N'x' nvarchar(1), 1 int, 1.5 numeric(2,1), 1e0
// float), arithmetic by data type precedence and the decimal precision and scale rules, CASE,
// COALESCE and UNION by the same rules, and the common functions (GETDATE, COUNT, SUM, AVG,
// CAST, CONVERT, LEN, ISNULL, ...). SQLite knows the declared type of a plain column only, so
// the column references inside an expression are typed by a probe: the statement with its
// select list replaced by them, which the engine prepares without running.
#include "SqlTypes.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tds {

struct TypeSources {
    // The declared types of a probe's columns (nothing for a column SQLite knows no type of),
    // or none at all when the probe does not prepare.
    std::function<std::vector<std::optional<SqlType>>(const std::string& probe)> columns;
    // A variable's or parameter's declared type, when known.
    std::function<std::optional<SqlType>(const std::string& name)> variable;
};

// One type per result column of the statement (`columns` of them), nothing where the server
// cannot tell: an expression it does not know the rules of, or a statement that is not a
// SELECT. A column that is a plain reference gets its declared type.
std::vector<std::optional<SqlType>> resultTypes(std::string_view statement, size_t columns,
                                                bool quotedIdentifiers, const TypeSources& sources);

// Whether the statement combines SELECTs with UNION, EXCEPT or INTERSECT, whose columns take
// the types of every branch rather than the first's.
bool isCompoundSelect(std::string_view statement, bool quotedIdentifiers);

// The type a CAST or CONVERT names: a character or binary type without a length is 30 long.
std::optional<SqlType> castTargetType(std::string_view written);

// Data type precedence, for a value of two types: the result's kind and, for decimals and
// character types, its precision, scale and length as UNION and CASE give them.
SqlType unionType(const SqlType& a, const SqlType& b);

// The result of `a op b` for + - * / %, or nothing where the server does not model it (dates,
// string concatenation).
std::optional<SqlType> arithmeticType(char op, const SqlType& a, const SqlType& b);

} // namespace velmora::tds
