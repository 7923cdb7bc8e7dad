#pragma once
// Where the tests' PostgreSQL server (the postgres_server ctest fixture) listens, as connection
// strings for the data layer.
#include "FixturePort.h"

#include <optional>
#include <string>

namespace velmora::test {

inline std::optional<int> postgresPort() {
    return fixturePort("VELMORA_PG_FIXTURE_DIR");
}

// The ODBC connection string of the fixture's database "velmora" (user postgres, no password).
inline std::string postgresOdbcConnectionString() {
    return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
           std::to_string(postgresPort().value_or(0)) + ";Database=velmora;Uid=postgres;";
}

// The same as an OLE DB connection string, as the program's connection takes it.
inline std::string postgresConnectionString() {
    return "Provider=MSDASQL.1;Extended Properties=\"" + postgresOdbcConnectionString() + "\"";
}

} // namespace velmora::test
