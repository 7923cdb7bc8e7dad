#pragma once
// Stored procedures and scalar functions of the double. CREATE PROCEDURE and CREATE FUNCTION are
// parsed for the name, the parameters (types, defaults, OUTPUT) and the body; each database
// keeps them in its modules (tds_procedures, tds_procedure_parameters: see SystemCatalogue.h).
// Running one runs its body's statements with the parameters bound by name.
#include "SqlTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tds {

struct ProcedureParameter {
    std::string name; // with its "@"
    SqlType type;
    bool output = false;
    std::optional<std::string> defaultValue; // a literal as written
};

struct Procedure {
    std::string name; // as SQLite keeps it: "p", "Sales.p"
    std::vector<ProcedureParameter> parameters;
    std::string definition; // CREATE PROCEDURE ... as written
    std::string body;       // the statements after AS
    bool function = false;
    std::optional<SqlType> returnType; // a function's
};

// Throws ServerError when the text is no CREATE PROCEDURE or CREATE FUNCTION (of a scalar
// function) that the double understands.
Procedure parseCreateProcedure(std::string_view text);

// A function's RETURN expression; throws when its body is more than one RETURN statement.
std::string returnedExpression(const Procedure& function);

} // namespace velmora::tds
