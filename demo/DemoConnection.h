#pragma once
// The demo's connection: the SQLite database at Database through the SQLite3 ODBC driver. The
// database is named by its full path, so that the connection file works from any directory.
#include <string>

inline std::string DemoConnectionString(const std::string& Database) {
    return "Provider=MSDASQL.1;Persist Security Info=False;"
           "Extended Properties=\"Driver=SQLite3;Database=" +
           Database + "\"";
}
