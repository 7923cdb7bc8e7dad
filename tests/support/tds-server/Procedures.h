#pragma once
// Stored procedures of the double. CREATE PROCEDURE is parsed for its name, its parameters
// (types, defaults, OUTPUT) and its body; each database keeps them in two catalogue tables:
//   tds_procedures(name, definition)            the text as it was created, for sp_helptext
//   tds_procedure_parameters(procedure_name, ordinal, name, type, is_output, default_value)
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
    std::string name;
    std::vector<ProcedureParameter> parameters;
    std::string definition; // CREATE PROCEDURE ... as written
    std::string body;       // the statements after AS
};

// Throws ServerError when the text is no CREATE PROCEDURE the double understands.
Procedure parseCreateProcedure(std::string_view text);

// The DDL of the two catalogue tables, run in every database.
extern const char* const procedureCatalogueTables;

} // namespace velmora::tds
