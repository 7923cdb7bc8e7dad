// The TDS test server's catalogue as SQL Server has it, through the FreeTDS driver: schemas and
// a table of the same name in two of them, the system views and procedures, the system
// databases, and the Azure SQL Database mode.
#include "TdsBatch.h"

#include <algorithm>

using namespace velmora;
using namespace velmora::test;
using Rows = std::vector<std::vector<std::string>>;

namespace {

class TdsCatalogue : public TdsBatchTest {
protected:
    // SQLTables' rows as owner.name TYPE.
    std::vector<std::string> tables(const std::string& name) {
        const auto statement = connection.createStatement();
        const ado::SqlWString pattern = ado::toSqlWide(name);
        EXPECT_TRUE(
            SQL_SUCCEEDED(SQLTablesW(statement->handle(), nullptr, 0, nullptr, 0,
                                     const_cast<SQLWCHAR*>(pattern.c_str()), SQL_NTS, nullptr, 0)));
        std::vector<std::string> listed;
        for (const auto& row : readResult(statement->handle(), 5).rows)
            listed.push_back(row[1] + "." + row[2] + " " + row[3]);
        return listed;
    }

    // Whether the rows are in the order given by the columns at `keys`, compared without case.
    static bool ordered(const Rows& rows, const std::vector<size_t>& keys) {
        const auto key = [&](const std::vector<std::string>& row) {
            std::vector<std::string> values;
            for (size_t k : keys) {
                std::string value = row[k];
                std::transform(value.begin(), value.end(), value.begin(), ::tolower);
                values.push_back(value);
            }
            return values;
        };
        return std::is_sorted(rows.begin(), rows.end(),
                              [&](const auto& a, const auto& b) { return key(a) < key(b); });
    }

    // Other tests on the shared server make tables named after their process (note_1234): the
    // rows without them.
    static Rows seeded(Rows rows) {
        std::erase_if(rows, [](const std::vector<std::string>& row) {
            const std::string& name = row[2];
            const size_t digits = name.find_last_not_of("0123456789");
            return digits != std::string::npos && digits + 1 < name.size() && name[digits] == '_';
        });
        return rows;
    }

    static bool contains(const Rows& rows, const std::vector<std::string>& wanted, size_t from) {
        return std::any_of(rows.begin(), rows.end(), [&](const auto& row) {
            return std::equal(wanted.begin(), wanted.end(), row.begin() + from);
        });
    }
};

} // namespace

TEST_F(TdsCatalogue, TablesOfTheSameNameInTwoSchemasAreBothListedAndEachKeepsItsRows) {
    EXPECT_EQ(tables("Customer"),
              (std::vector<std::string>{"dbo.Customer TABLE", "Sales.Customer TABLE"}));
    EXPECT_EQ(run("select Name from Customer").firstColumn(),
              std::vector<std::string>{"Walk-in customer"});
    EXPECT_EQ(run("select Name from dbo.Customer").firstColumn(),
              std::vector<std::string>{"Walk-in customer"});
    for (const char* name : {"Sales.Customer", "[Sales].[Customer]", "sample.Sales.Customer",
                             "sales.customer", "\"Sales\".\"Customer\""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run(std::string("select AccountNumber from ") + name +
                      " where CustomerID <= 2 order by CustomerID")
                      .firstColumn(),
                  (std::vector<std::string>{"AW00000001", "AW00000002"}));
    }
    // Joins across schemas, a view in Sales, and a column named through its schema and table.
    EXPECT_EQ(run("select p.LastName from Sales.Customer c join Person.Person p on "
                  "p.BusinessEntityID = c.PersonID where c.CustomerID = 1")
                  .firstColumn(),
              std::vector<std::string>{"S\xC3\xA1nchez"});
    EXPECT_EQ(run("select Name from Sales.vCustomer where CustomerID = 2").firstColumn(),
              std::vector<std::string>{"Terri Duffy"});
    EXPECT_EQ(run("select Sales.Customer.AccountNumber from Sales.Customer where "
                  "Sales.Customer.CustomerID = 4")
                  .firstColumn(),
              std::vector<std::string>{"AW00000004"});
}

TEST_F(TdsCatalogue, SpTablesListsTheSystemViewsWithTheirOwnersInTheDocumentedOrder) {
    const Rows rows = run("exec sp_tables").results.at(0).rows;
    EXPECT_TRUE(ordered(rows, {3, 0, 1, 2})); // type, qualifier, owner, name
    EXPECT_TRUE(contains(rows, {"dbo", "customers", "TABLE"}, 1));
    EXPECT_TRUE(contains(rows, {"Person", "Person", "TABLE"}, 1));
    EXPECT_TRUE(contains(rows, {"Sales", "vCustomer", "VIEW"}, 1));
    EXPECT_TRUE(contains(rows, {"INFORMATION_SCHEMA", "TABLES", "VIEW"}, 1));
    EXPECT_TRUE(contains(rows, {"INFORMATION_SCHEMA", "COLUMNS", "VIEW"}, 1));
    EXPECT_TRUE(contains(rows, {"sys", "tables", "VIEW"}, 1));
    EXPECT_TRUE(contains(rows, {"sys", "databases", "VIEW"}, 1)); // master's, seen everywhere
    // Owner and type patterns.
    const Rows sales = seeded(run("exec sp_tables @table_owner = 'Sales', @table_type = "
                                  "\"'TABLE'\"")
                                  .results.at(0)
                                  .rows);
    EXPECT_EQ(sales, (Rows{{"sample", "Sales", "Customer", "TABLE", "NULL"},
                           {"sample", "Sales", "SalesOrder", "TABLE", "NULL"}}));
}

TEST_F(TdsCatalogue, TheSystemViewsDescribeTheUsersObjects) {
    EXPECT_EQ(run("select s.name from sys.tables t join sys.schemas s on s.schema_id = "
                  "t.schema_id where t.name = 'Customer' order by s.name")
                  .firstColumn(),
              (std::vector<std::string>{"dbo", "Sales"}));
    EXPECT_EQ(run("select TABLE_SCHEMA, TABLE_NAME from INFORMATION_SCHEMA.TABLES where "
                  "TABLE_TYPE = 'VIEW' order by TABLE_SCHEMA, TABLE_NAME")
                  .results.at(0)
                  .rows,
              (Rows{{"dbo", "customer_totals"}, {"Sales", "vCustomer"}}));
    EXPECT_EQ(run("select COLUMN_NAME, DATA_TYPE, IS_NULLABLE from INFORMATION_SCHEMA.COLUMNS "
                  "where TABLE_SCHEMA = 'Sales' and TABLE_NAME = 'Customer' order by "
                  "ORDINAL_POSITION")
                  .results.at(0)
                  .rows,
              (Rows{{"CustomerID", "int", "NO"},
                    {"PersonID", "int", "YES"},
                    {"AccountNumber", "varchar", "NO"}}));
    EXPECT_EQ(
        run("select name from sys.procedures where schema_id = schema_id('Sales')").firstColumn(),
        std::vector<std::string>{"CustomerOrders"});
    EXPECT_EQ(run("select name from sys.fn_helpcollations()").firstColumn(),
              std::vector<std::string>{"SQL_Latin1_General_CP1_CI_AS"});
}

TEST_F(TdsCatalogue, ObjectIdFindsAnObjectByItsNameAsWrittenAndByItsType) {
    const std::string table = "probe_" + std::to_string(getpid());
    run("create table " + table + " (id int)");
    const std::string id =
        run("select object_id from sys.objects where name = '" + table + "'").firstColumn().at(0);
    for (const std::string& name : {table, "dbo." + table, "[dbo].[" + table + "]",
                                    "sample.dbo." + table, "sample.." + table})
        EXPECT_EQ(run("select object_id(N'" + name + "')").firstColumn(), std::vector{id}) << name;
    EXPECT_EQ(run("select object_id('" + table + "', 'U'), object_id('" + table +
                  "', 'P'), object_id('master.dbo." + table +
                  "'), object_id('nosuch'), object_id(null)")
                  .results.at(0)
                  .rows,
              (Rows{{id, "NULL", "NULL", "NULL", "NULL"}}));
    const TdsResult typed = run("select object_id('" + table + "') as id").results.at(0);
    EXPECT_EQ(typed.columns.at(0).type, "int");
    EXPECT_NE(run("select object_id('Sales.Customer')").firstColumn(),
              run("select object_id('Customer')").firstColumn());
    EXPECT_EQ(run("select object_name(object_id('Sales.CustomerOrders', 'P')), "
                  "object_name(-1)")
                  .results.at(0)
                  .rows,
              (Rows{{"CustomerOrders", "NULL"}}));
    run("drop table " + table);
    EXPECT_EQ(run("select object_id('" + table + "')").firstColumn(),
              std::vector<std::string>{"NULL"});
}

TEST_F(TdsCatalogue, SysobjectsAndObjectpropertyTellTheKindOfEachObject) {
    EXPECT_EQ(run("select xtype, uid from sysobjects where id = object_id('Sales.Customer')")
                  .results.at(0)
                  .rows,
              (Rows{{"U", run("select schema_id('Sales')").firstColumn().at(0)}}));
    for (const char* view :
         {"sysobjects", "dbo.sysobjects", "sys.sysobjects", "[sys].[sysobjects]"})
        EXPECT_EQ(run(std::string("select name, type from ") + view +
                      " where id in (object_id('customer_orders'), object_id('customer_totals'), "
                      "object_id('full_name')) order by name")
                      .results.at(0)
                      .rows,
                  (Rows{{"customer_orders", "P"}, {"customer_totals", "V"}, {"full_name", "FN"}}))
            << view;
    EXPECT_EQ(run("select count(*) from sysobjects").firstColumn(),
              run("select count(*) from sys.objects").firstColumn());
    const auto properties = [&](const std::string& object) {
        return run("select objectproperty(object_id('" + object +
                   "'), N'IsUserTable'), objectproperty(object_id('" + object +
                   "'), 'ISTABLE'), objectproperty(object_id('" + object +
                   "'), 'IsProcedure'), objectproperty(object_id('" + object +
                   "'), 'IsView'), objectproperty(object_id('" + object +
                   "'), 'isscalarfunction'), objectproperty(object_id('" + object +
                   "'), 'No such property')")
            .results.at(0)
            .rows.at(0);
    };
    using Values = std::vector<std::string>;
    EXPECT_EQ(properties("Sales.Customer"), (Values{"1", "1", "0", "0", "0", "NULL"}));
    EXPECT_EQ(properties("customer_orders"), (Values{"0", "0", "1", "0", "0", "NULL"}));
    EXPECT_EQ(properties("customer_totals"), (Values{"0", "0", "0", "1", "0", "NULL"}));
    EXPECT_EQ(properties("full_name"), (Values{"0", "0", "0", "0", "1", "NULL"}));
    EXPECT_EQ(properties("nosuch"), (Values{"NULL", "NULL", "NULL", "NULL", "NULL", "NULL"}));
    EXPECT_EQ(run("select objectproperty(object_id('Sales.Customer'), 'SchemaId')").firstColumn(),
              run("select schema_id('Sales')").firstColumn());
}

// The way scripts have long dropped a procedure before making it anew.
TEST_F(TdsCatalogue, AProcedureIsDroppedOnlyWhenSysobjectsHasIt) {
    const std::string procedure = "p_probe_" + std::to_string(getpid());
    const std::string dropIfThere =
        "if exists (select * from sysobjects where id = object_id(N'[" + procedure +
        "]') and OBJECTPROPERTY(id, N'IsProcedure') = 1)\n drop procedure [" + procedure + "]";
    run("create procedure " + procedure + " as select 1");
    EXPECT_TRUE(run(dropIfThere).messages.empty());
    EXPECT_EQ(run("select object_id('" + procedure + "')").firstColumn(),
              std::vector<std::string>{"NULL"});
    EXPECT_TRUE(run(dropIfThere).messages.empty()); // nothing to drop, nothing said
    EXPECT_EQ(run("drop procedure " + procedure).summaries(),
              std::vector<std::string>{"Msg 3701: Cannot drop the procedure '" + procedure +
                                       "', because it does not exist or you do not have "
                                       "permission."});
    run("create table " + procedure + " (id int)"); // a table is not dropped as a procedure
    EXPECT_TRUE(run(dropIfThere).messages.empty());
    EXPECT_NE(run("select object_id('" + procedure + "', 'U')").firstColumn(),
              std::vector<std::string>{"NULL"});
    run("drop table " + procedure);
}

TEST_F(TdsCatalogue, SpStoredProceduresListsUserAndSystemProceduresAndFunctions) {
    const Rows rows = run("exec sp_stored_procedures").results.at(0).rows;
    EXPECT_TRUE(ordered(rows, {0, 1, 2}));
    EXPECT_TRUE(contains(rows, {"dbo", "add_customer;1"}, 1));
    EXPECT_TRUE(contains(rows, {"dbo", "full_name;0"}, 1));
    EXPECT_TRUE(contains(rows, {"Sales", "CustomerOrders;1"}, 1));
    EXPECT_TRUE(contains(rows, {"sys", "sp_tables;1"}, 1));
    EXPECT_TRUE(contains(rows, {"sys", "sp_executesql;1"}, 1));
    EXPECT_TRUE(contains(rows, {"sys", "fn_helpcollations;0"}, 1));
    EXPECT_EQ(run("exec sp_stored_procedures @sp_owner = 'Sales'").firstColumn(),
              std::vector<std::string>{"sample"});

    // Parameters of a procedure outside dbo, of a function, and of a system procedure.
    const auto parameters = [&](const std::string& call) {
        std::vector<std::string> listed;
        const TdsBatch batch = run(call);
        for (const auto& row : batch.results.at(0).rows)
            listed.push_back(row[3] + " " + row[4] + " " + row[6]);
        return listed;
    };
    EXPECT_EQ(parameters("exec sp_sproc_columns @procedure_name = 'CustomerOrders', "
                         "@procedure_owner = 'Sales'"),
              (std::vector<std::string>{"@RETURN_VALUE 5 int", "@CustomerID 1 int"}));
    EXPECT_EQ(parameters("exec sp_sproc_columns 'CustomerOrders'"), std::vector<std::string>{});
    EXPECT_EQ(parameters("exec sp_sproc_columns 'full_name'"),
              (std::vector<std::string>{"@RETURN_VALUE 5 nvarchar", "@first 1 nvarchar",
                                        "@last 1 nvarchar"}));
    EXPECT_EQ(parameters("exec sp_sproc_columns 'sp_pkeys'"),
              (std::vector<std::string>{"@RETURN_VALUE 5 int", "@table_name 1 nvarchar",
                                        "@table_owner 1 nvarchar", "@table_qualifier 1 nvarchar"}));
    EXPECT_EQ(run("select dbo.full_name(FirstName, LastName) from Person.Person where "
                  "BusinessEntityID = 3")
                  .firstColumn(),
              std::vector<std::string>{"Rob Walters"});
}

TEST_F(TdsCatalogue, ColumnsAndKeysAreTheOwnersAndDboIsTheDefaultOwner) {
    const auto columns = [&](const std::string& call) {
        std::vector<std::string> listed;
        const TdsBatch batch = run(call);
        for (const auto& row : batch.results.at(0).rows)
            listed.push_back(row[1] + "." + row[2] + "." + row[3]);
        return listed;
    };
    EXPECT_EQ(columns("exec sp_columns @table_name = 'Customer', @table_owner = 'Sales'"),
              (std::vector<std::string>{"Sales.Customer.CustomerID", "Sales.Customer.PersonID",
                                        "Sales.Customer.AccountNumber"}));
    EXPECT_EQ(columns("exec sp_columns 'Customer'"),
              (std::vector<std::string>{"dbo.Customer.CustomerID", "dbo.Customer.Name"}));
    EXPECT_EQ(columns("exec sp_columns @table_name = 'SalesOrder'"), std::vector<std::string>{});
    EXPECT_EQ(run("exec sp_pkeys @table_name = 'SalesOrder', @table_owner = 'Sales'")
                  .results.at(0)
                  .rows.at(0)
                  .at(3),
              "SalesOrderID");
}

TEST_F(TdsCatalogue, SpHelptextResolvesSchemaQualifiedNames) {
    const auto text = [&](const std::string& call) {
        std::string definition;
        for (const std::string& line : run(call).firstColumn())
            definition += line;
        return definition;
    };
    for (const char* name :
         {"'Sales.CustomerOrders'", "'[Sales].[CustomerOrders]'", "N'sample.Sales.CustomerOrders'"})
        EXPECT_EQ(text(std::string("exec sp_helptext ") + name)
                      .rfind("create procedure Sales.CustomerOrders @CustomerID int", 0),
                  0u)
            << name;
    EXPECT_EQ(text("sp_helptext 'Sales.vCustomer'").rfind("create view Sales.vCustomer as", 0), 0u);
    EXPECT_EQ(
        text("sp_helptext 'dbo.customer_orders'").rfind("create procedure customer_orders", 0), 0u);
    EXPECT_EQ(run("exec sp_helptext 'Sales.Nothing'").summaries(),
              std::vector<std::string>{"Msg 15009: The object 'Sales.Nothing' "
                                       "does not exist in database 'sample' or is invalid for this "
                                       "operation."});
}

TEST_F(TdsCatalogue, TheSystemDatabasesAreListedInTheOrderOfTheirIds) {
    const std::vector<std::string> all{"master", "tempdb", "model", "msdb", "sample"};
    EXPECT_EQ(run("select name from sysdatabases").firstColumn(), all);
    EXPECT_EQ(run("select name from sys.databases order by database_id").firstColumn(), all);
    EXPECT_EQ(run("select name from master.sys.databases order by database_id").firstColumn(), all);
    EXPECT_EQ(run("use master; select name from sysdatabases").firstColumn(), all);
}

TEST_F(TdsCatalogue, SchemasAreMadeAndDroppedAndAnUnknownOneIsRefused) {
    const std::string schema = "Own_" + std::to_string(getpid());
    run("create schema " + schema);
    EXPECT_TRUE(run("create table " + schema + ".Customer (id int)").messages.empty());
    run("insert into " + schema + ".Customer values (7)");
    EXPECT_EQ(run("select id from [" + schema + "].Customer").firstColumn(),
              std::vector<std::string>{"7"});
    EXPECT_EQ(tables("Customer").size(), 3u);
    EXPECT_EQ(run("create schema " + schema).summaries(),
              std::vector<std::string>{"Msg 2714: There is already an object "
                                       "named '" +
                                       schema + "' in the database."});
    run("drop table " + schema + ".Customer");
    EXPECT_EQ(tables("Customer").size(), 2u);
    EXPECT_EQ(run("create procedure Nowhere.p as select 1").summaries(),
              std::vector<std::string>{"Msg 2760: The specified schema name "
                                       "\"Nowhere\" either does not exist or you do not have "
                                       "permission to use it."});
}

namespace {

// A server of its own that answers as Azure SQL Database.
class TdsAzure : public ::testing::Test {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(odbcDriverInstalled("FreeTDS"), "the FreeTDS ODBC driver");
        VELMORA_REQUIRE(std::getenv("VELMORA_TDS_SERVER") != nullptr, "the TDS test server");
    }
    TdsBatch run(const std::string& database, const std::string& sql) {
        ado::OdbcConnection connection;
        connection.connect(tdsOdbcConnectionString(server.Port(), database), 15);
        return runBatch(connection, sql);
    }

    TTdsServerProcess server{{"--azure"}};
};

} // namespace

TEST_F(TdsAzure, TheLoginsDatabaseIsTheSessionsAndUseIsRefused) {
    EXPECT_EQ(run("sample", "select db_name()").firstColumn(), std::vector<std::string>{"sample"});
    const TdsBatch refused = run("sample", "print 'refused:'; use master; select db_name()");
    EXPECT_EQ(refused.summaries(),
              (std::vector<std::string>{"Msg 0: refused:",
                                        "Msg 40508: USE statement is not supported to switch "
                                        "between databases. Use a new connection to connect to "
                                        "a different database."}));
    EXPECT_EQ(refused.firstColumn(), std::vector<std::string>{"sample"});
    EXPECT_EQ(run("sample", "use sample").summaries(),
              std::vector<std::string>{"Msg 5701: Changed database context to 'sample'."});

    // A user database sees itself and master; master sees every database.
    EXPECT_EQ(run("sample", "select name from sys.databases order by database_id").firstColumn(),
              (std::vector<std::string>{"master", "sample"}));
    EXPECT_EQ(run("master", "select name from sys.databases order by database_id").firstColumn(),
              (std::vector<std::string>{"master", "tempdb", "model", "msdb", "sample"}));
    EXPECT_EQ(run("master", "select * from sample.dbo.customers").summaries(),
              std::vector<std::string>{"Msg 40515: Reference to database "
                                       "and/or server name in 'sample.dbo.customers' is not "
                                       "supported in this version of SQL Server."});
}

TEST_F(TdsAzure, TheDriversCatalogSwitchIsRefusedAndTheConnectionStays) {
    ado::OdbcConnection connection;
    connection.connect(tdsOdbcConnectionString(server.Port(), "sample"), 15);
    EXPECT_NE(velmora::test::errorOf([&] {
                  connection.setCurrentCatalog("master");
              }).find("USE statement is not supported"),
              std::string::npos);
    EXPECT_EQ(runBatch(connection, "select db_name()").firstColumn(),
              std::vector<std::string>{"sample"});
}
