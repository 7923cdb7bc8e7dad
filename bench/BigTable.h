#pragma once
// The benchmarks' large result: a SQLite table "big" of 1,000,000 rows (or as many as asked)
// x 5 columns in a database of its own, in a temporary folder removed afterwards.
#include "Ado.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace velmora::bench {

constexpr long BigTableRows = 1'000'000;
inline const char* const SelectAll = "select * from big";

class TBigTable {
public:
    explicit TBigTable(long rows = BigTableRows)
        : folder_(std::filesystem::temp_directory_path() /
                  ("velmora-bench-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder_);
        ado::TADOConnection connection;
        connection.SetConnectionString(ConnectionString());
        connection.Open();
        connection.Execute("create table big(id integer primary key, name varchar(40), qty int, "
                           "price float, created datetime)");
        connection.Execute(
            "with recursive c(i) as (select 1 union all select i + 1 from c where i < " +
            std::to_string(rows) +
            ") insert into big select i, 'customer name ' || i, i % 1000, i * 0.25, "
            "datetime(1700000000 + i, 'unixepoch') from c");
    }
    ~TBigTable() { std::filesystem::remove_all(folder_); }
    TBigTable(const TBigTable&) = delete;
    TBigTable& operator=(const TBigTable&) = delete;

    // The ODBC connection string of the database, and the same for the data layer.
    std::string OdbcConnectionString() const {
        return "Driver=SQLite3;Database=" + (folder_ / "bench.db").string() + ";";
    }
    std::string ConnectionString() const {
        return "Provider=MSDASQL;Extended Properties=\"" + OdbcConnectionString() + "\"";
    }

private:
    std::filesystem::path folder_;
};

} // namespace velmora::bench
