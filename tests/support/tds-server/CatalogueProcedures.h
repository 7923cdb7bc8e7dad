#pragma once
// The system procedures through which ODBC drivers read SQL Server's catalogue (sp_tables,
// sp_columns, sp_stored_procedures, sp_sproc_columns, sp_pkeys) and sp_helptext, answered from
// SQLite's schema with the result shapes SQL Server documents. The double's own tables (tds_*,
// sqlite_*) are system tables.
#include "Engine.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::tds {

bool isCatalogueProcedure(std::string_view name);

// The system procedures and functions the server has (sys.sp_tables, sys.fn_helpcollations, ...),
// as sp_stored_procedures and sp_sproc_columns list them.
struct SystemParameter {
    std::string_view name;
    std::string_view type;
};
struct SystemProcedure {
    std::string_view name;
    bool function;
    std::vector<SystemParameter> parameters;
};
const std::vector<SystemProcedure>& systemProcedures();

// The procedure's result sets; throws ServerError as SQL Server's procedures raise errors.
std::vector<ResultTable> runCatalogueProcedure(const std::string& name,
                                               const std::vector<Argument>& arguments,
                                               const Engine& engine);

// SQL's LIKE: % and _ and [set], "\" escaping the next character, letters in either case.
bool likeMatches(std::string_view text, std::string_view pattern);

} // namespace velmora::tds
