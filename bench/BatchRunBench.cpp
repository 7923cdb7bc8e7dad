// Running a script of 10,000 tiny batches against SQLite through the script runner (splitting,
// the command path, every result and message read, the outcome built), beside a bare ODBC loop
// of the same statements: SQLExecDirect, SQLRowCount and SQLMoreResults for each, on a
// connection of its own. Both in the same run, on the calling thread, as CPU time; the better of
// three rounds each. Never fails on the figures.
#include "Ado.h"
#include "BareOdbc.h"
#include "CpuClock.h"
#include "ScriptRunner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace velmora;

namespace {

constexpr int Batches = 10000;
constexpr int Rounds = 3;

std::string Statement(int Number) {
    return "insert into t (id, note) values (" + std::to_string(Number) + ", 'n" +
           std::to_string(Number) + "')";
}

} // namespace

int main() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("batch_run_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string odbc = "Driver=SQLite3;Database=" + (folder / "bench.db").string() + ";";

    std::string script;
    for (int i = 0; i < Batches; ++i)
        script += Statement(i) + "\r\nGO\r\n";

    double layerBest = 1e9;
    double bareBest = 1e9;
    size_t batchesRun = 0;
    {
        ado::TADOConnection connection;
        connection.SetConnectionString("Provider=MSDASQL;Extended Properties=\"" + odbc + "\"");
        connection.Open();
        ado::TADOCommand command;
        ado::TADOQuery query;
        ado::TADODataSet dataSet;
        ado::TDataSource source;
        command.SetConnection(&connection);
        query.SetConnection(&connection);
        query::TScriptRunner runner({connection, command, query, dataSet, source});
        runner.ShowOutcome = [&](query::TScriptOutcome& Outcome) { batchesRun = Outcome.Batches; };
        const bench::TBareOdbc bare(odbc);
        for (int round = 0; round < Rounds; ++round) {
            connection.Execute("drop table if exists t");
            connection.Execute("create table t (id integer, note varchar(20))");
            auto start = bench::CpuClock::now();
            runner.ExecuteScript(script);
            layerBest = std::min(layerBest, (bench::CpuClock::now() - start).count());

            connection.Execute("drop table if exists t");
            connection.Execute("create table t (id integer, note varchar(20))");
            start = bench::CpuClock::now();
            for (int i = 0; i < Batches; ++i) {
                bare.ExecDirect(Statement(i));
                SQLLEN count = 0;
                SQLRowCount(bare.Statement(), &count);
                while (SQL_SUCCEEDED(SQLMoreResults(bare.Statement()))) {
                }
                SQLFreeStmt(bare.Statement(), SQL_CLOSE);
            }
            bareBest = std::min(bareBest, (bench::CpuClock::now() - start).count());
        }
    }
    std::filesystem::remove_all(folder);
    std::printf("%d batches, %zu run by the script runner\n", Batches, batchesRun);
    std::printf("script runner          %8.1f ms\n", layerBest * 1000);
    std::printf("bare ODBC loop         %8.1f ms  (baseline)\n", bareBest * 1000);
    std::printf("ratio                  %8.2f x  (target: at most 1.2 x)\n", layerBest / bareBest);
    return 0;
}
