// The browser's lists read from PostgreSQL: functions with their parameters and return values,
// tables whose names differ only in case, and a table without fields.
#include "AdoTestSupport.h"
#include "PostgresServer.h"
#include "SchemaCatalog.h"
#include "SqlTypes.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace velmora::ado;
using namespace velmora::schema;
using namespace velmora::test;
using Texts = std::vector<std::string>;

namespace {

class SchemaPostgres : public PostgresFixture {
protected:
    // A name of this test's own, so that other tests' objects cannot be mistaken for it.
    std::string own(const std::string& name) const { return name + "_" + std::to_string(getpid()); }
};

bool Contains(const Texts& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

} // namespace

TEST_F(SchemaPostgres, FunctionsAreListedWithTheParametersTheDriverReports) {
    const std::string withResult = own("net_price");
    const std::string withOutputs = own("split_name");
    run("create function " + withResult +
        "(gross int, label varchar(10)) returns int as $$ select gross $$ language sql");
    run("create function " + withOutputs +
        "(full_name text, out first_name text, inout rank int) as $$ select full_name, rank $$ "
        "language sql");
    const Texts procedures = ReadProcedureNames(connection);
    EXPECT_TRUE(Contains(procedures, withResult));
    EXPECT_TRUE(Contains(procedures, withOutputs));

    TADOStoredProc procedure;
    procedure.SetConnection(&connection);
    EXPECT_EQ(ReadParameterNodeTexts(procedure, withResult),
              (Texts{" [Integer] (4) ReturnValue", "gross [Integer] (4) Input",
                     "label [WideString] (255) Input"}));
    EXPECT_EQ(ReadParameterNodeTexts(procedure, withOutputs),
              (Texts{"full_name [Memo] (8190) Input", "first_name [Memo] (8190) Output",
                     "rank [Integer] (4) InputOutput"}));
}

TEST_F(SchemaPostgres, TablesDifferingOnlyInCaseKeepTheirOwnFields) {
    run("create table \"Orders\"(\"Id\" int, \"Total\" numeric(10,2)); "
        "create table orders(id int, note varchar(20)); create table nothing(); "
        "create view open_orders as select id from orders");
    const Texts tables = ReadTableNames(connection);
    for (const char* name : {"Orders", "orders", "nothing", "open_orders"})
        EXPECT_TRUE(Contains(tables, name)) << name;
    EXPECT_FALSE(Contains(tables, "pg_class")); // system tables are never listed

    TADOTable table;
    table.SetConnection(&connection);
    EXPECT_EQ(ReadFieldNodeTexts(table, "Orders"), (Texts{"Id [Integer] (0)", "Total [BCD] (2)"}));
    EXPECT_EQ(ReadFieldNodeTexts(table, "orders"),
              (Texts{"id [Integer] (0)", "note [WideString] (20)"}));
    EXPECT_EQ(ReadFieldNodeTexts(table, "nothing"), Texts{});
}

TEST_F(SchemaPostgres, TableFieldsMapToTheSqlServerTypesThatHoldThem) {
    const std::string table = own("typed");
    run("create table " + table +
        "(id serial, tiny smallint, big bigint, amount numeric(12,2), name varchar(20), "
        "code char(3), note text, photo bytea, flag boolean, day date, at time, stamp timestamp, "
        "ratio real, ref uuid)");
    TADOTable fields;
    fields.SetConnection(&connection);
    Texts types;
    for (const auto& field : ReadTableFields(fields, table))
        types.push_back(field.Name + " " + velmora::sqlgen::MapSqlType(field) + " " +
                        std::to_string(field.Size));
    run("drop table " + table);
    // The driver reports a serial as auto-increment, and booleans as text ("BoolsAsChar").
    EXPECT_EQ(types,
              (Texts{"id autoinc 0", "tiny smallint 0", "big bigint 0", "amount decimal(12,2) 2",
                     "name nvarchar 20", "code nchar 3", "note ntext 0", "photo image 0",
                     "flag varchar 5", "day date 0", "at time 0", "stamp datetime 0",
                     "ratio float 0", "ref uniqueidentifier 38"}));
}
