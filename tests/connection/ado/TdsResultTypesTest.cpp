// The types the TDS test server gives expression columns, as SQL Server types them ("Data
// types", "Precision, scale, and length", each function's page), read through FreeTDS with the
// values they carry.
#include "TdsBatch.h"
#include "TediousClient.h"

using namespace velmora;
using namespace velmora::test;
using Lines = std::vector<std::string>;

namespace {

class TdsResultTypes : public TdsBatchTest {
protected:
    // Each column of the single result as "type(size,scale)=value".
    Lines described(const std::string& sql) {
        const TdsBatch batch = run(sql);
        Lines lines;
        for (const TdsMessage& message : batch.messages)
            lines.push_back(message.summary());
        if (batch.results.empty())
            return lines;
        const TdsResult& result = batch.results.back();
        for (size_t c = 0; c < result.columns.size(); ++c) {
            const TdsColumn& column = result.columns[c];
            std::string line = column.type + "(" + std::to_string(column.size) + "," +
                               std::to_string(column.scale) + ")";
            for (const auto& row : result.rows)
                line += "=" + row[c];
            lines.push_back(line);
        }
        return lines;
    }
};

} // namespace

TEST_F(TdsResultTypes, LiteralsTakeTheTypesOfSqlServersConstants) {
    EXPECT_EQ(described("select 'x', N'xyz', 1, 1.5, 0.05, 1e0, 2147483648, 0x1F2E, null, ''"),
              (Lines{"varchar(1,0)=x", "nvarchar(3,0)=xyz", "int(10,0)=1", "numeric(2,1)=1.5",
                     "numeric(2,2)=0.05", "float(53,0)=1", "numeric(10,0)=2147483648",
                     "varbinary(2,0)=1f2e", "int(10,0)=NULL", "varchar(1,0)="}));
}

TEST_F(TdsResultTypes, FunctionsReturnTheTypesTheirPagesDocument) {
    EXPECT_EQ(
        described("select count(*), count_big(*), sum(stock), sum(price), avg(weight), "
                  "min(title), max(code) from products"),
        (Lines{"int(10,0)=3", "bigint(19,0)=3", "int(10,0)=47", "money(19,4)=178.4900",
               "float(53,0)=4.6833333333333336", "varchar(60,0)=Desk lamp", "char(8,0)=MUG-0003"}));
    // SUM of a decimal keeps its scale at precision 38; AVG gives at least six digits of scale
    // and an integer's average is an integer, truncated.
    EXPECT_EQ(described("select sum(credit), avg(credit), avg(id) from customers"),
              (Lines{"decimal(38,2)=1751.25", "decimal(38,6)=583.750000", "int(10,0)=2"}));
    EXPECT_EQ(
        described("select len(name), len(cast(name as nvarchar(max))), isnull(city, 'x'), "
                  "isnull(null, 'abc') from customers where id = 1"),
        (Lines{"int(10,0)=12", "bigint(19,0)=12", "nvarchar(30,0)=London", "varchar(3,0)=abc"}));
    // ISNULL's value takes the first argument's type, cut to its length; a SUM past int's range
    // is int's overflow, as on SQL Server.
    EXPECT_EQ(described("select isnull(cast(null as varchar(3)), 'abcdef')"),
              Lines{"varchar(3,0)=abc"});
    EXPECT_EQ(described("select sum(n * 1000000) from numbers"),
              Lines{"Msg 8115: Arithmetic overflow error converting expression to data type "
                    "int."});
    // What the server has no rule for is typed from its values.
    EXPECT_EQ(described("select concat('a', 1)"), Lines{"nvarchar(2,0)=a1"});
    const Lines now = described("select getdate(), sysdatetime()");
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(now[0].substr(0, 15), "datetime(23,3)=");
    EXPECT_EQ(now[1].substr(0, 16), "datetime2(27,7)=");
}

TEST_F(TdsResultTypes, CastAndConvertGiveTheNamedTypeAndItsValue) {
    EXPECT_EQ(described("select cast(12 as varchar), cast('abcdef' as varchar(3)), "
                        "convert(decimal(5,2), 1.234), convert(datetime, '2024-05-01'), "
                        "cast('6F9619FF-8B86-D011-B42D-00C04FC964FF' as uniqueidentifier), "
                        "convert(nvarchar(max), N'long'), cast(1.75 as int), "
                        "convert(varchar(10), joined, 120) from customers where id = 1"),
              (Lines{"varchar(30,0)=12", "varchar(3,0)=abc", "decimal(5,2)=1.23",
                     "datetime(23,3)=2024-05-01 00:00:00.000",
                     "uniqueidentifier(36,0)=6F9619FF-8B86-D011-B42D-00C04FC964FF",
                     "nvarchar(0,0)=long", "int(10,0)=1", "varchar(10,0)=2021-03-04"}));
}

TEST_F(TdsResultTypes, ArithmeticFollowsPrecedenceAndThePrecisionAndScaleRules) {
    // int is decimal(10,0) beside a decimal.
    EXPECT_EQ(
        described("select 1 + 1.5, 1.5 * 2.25, 10 / 4, 10 % 4, 10 / 4.0, 2 * 1e0, "
                  "-1.5, 7 - 2"),
        (Lines{"numeric(12,1)=2.5", "numeric(6,3)=3.375", "int(10,0)=2", "int(10,0)=2",
               "numeric(17,6)=2.500000", "float(53,0)=2", "numeric(2,1)=-1.5", "int(10,0)=5"}));
    EXPECT_EQ(described("select credit * 2, credit + stock, price * quantity, weight * 2, "
                        "stock + quantity from customers, products, orders where customers.id "
                        "= 1 and products.id = 1 and orders.id = 1"),
              (Lines{"decimal(23,2)=3001.00", "decimal(13,2)=1540.50", "money(19,4)=49.9800",
                     "float(53,0)=2.5", "smallint(5,0)=42"}));
    // Past 38 digits the scale gives way: to the integral part for a sum, to 6 for a product
    // whose integral part needs more than 32 digits.
    EXPECT_EQ(
        described("select cast(1 as decimal(38,10)) + cast(1 as decimal(38,10)), "
                  "cast(2 as decimal(38,10)) * cast(3 as decimal(38,10)), "
                  "cast(1 as decimal(20,4)) * cast(3 as decimal(10,2))"),
        (Lines{"decimal(38,10)=2.0000000000", "decimal(38,6)=6.000000", "decimal(31,6)=3.000000"}));
}

TEST_F(TdsResultTypes, CaseCoalesceAndUnionTakeTheTypeOfHighestPrecedence) {
    EXPECT_EQ(described("select case when 1 = 1 then 'a' else 'abc' end, "
                        "case id when 1 then null else 2.5 end, coalesce(null, 1.5, 2), "
                        "coalesce(city, name) from customers where id = 1"),
              (Lines{"varchar(3,0)=a", "numeric(2,1)=NULL", "numeric(11,1)=1.5",
                     "nvarchar(40,0)=London"}));
    // A union's column is as long as its longest branch, whichever comes first.
    EXPECT_EQ(described("select 'a' union all select 'abcd' union all select N'xy'"),
              (Lines{"nvarchar(4,0)=a=abcd=xy"}));
    EXPECT_EQ(described("select code from products where id = 1 union all select title from "
                        "products where id = 2"),
              (Lines{"varchar(60,0)=LAMP-001=Office chair"}));
}

TEST_F(TdsResultTypes, VariablesAndParametersKeepTheirDeclaredTypes) {
    EXPECT_EQ(described("declare @label nvarchar(20) = N'x', @amount decimal(9,3) = 2\n"
                        "select @label, @amount, @amount * 2"),
              (Lines{"nvarchar(20,0)=x", "decimal(9,3)=2.000", "decimal(20,3)=4.000"}));
}

TEST_F(TdsResultTypes, ColumnsOfTablesAndStarsKeepTheirDeclaredTypes) {
    EXPECT_EQ(described("select c.name, *, 1 as one from customers c where id = 3"),
              (Lines{"nvarchar(40,0)=Zoë Ørsted", "int(10,0)=3", "nvarchar(40,0)=Zoë Ørsted",
                     "nvarchar(30,0)=København", "datetime(23,3)=2023-06-01 17:45:30.500",
                     "decimal(12,2)=0.75", "int(10,0)=1"}));
}

// Tedious decodes each value by the type the column's metadata gives: the two agree.
TEST_F(TdsResultTypes, TediousReadsTheValuesByTheTypesTheColumnsAnnounce) {
    VELMORA_REQUIRE(tediousAvailable(), "node with tedious (scripts/setup installs it)");
    TTediousPlan plan;
    plan.Port = *tdsServerPort();
    plan.Password = tdsSaPassword;
    plan.Steps = {TTediousStep::Shown(
        "select 'x' a, N'y' b, 1.5 c, 10 / 4.0 d, count(*) e, count_big(*) f, sum(credit) g, "
        "convert(datetime, '2024-05-01 10:30') h, 2 * 1e0 i, isnull(city, 'x') j from "
        "customers where id = 1")};
    EXPECT_EQ(
        runTedious(plan),
        (Lines{"connected 7_4",
               "columns a:VarChar b:NVarChar c:NumericN d:NumericN e:IntN f:IntN "
               "g:DecimalN h:DateTimeN i:FloatN j:NVarChar",
               "row x | y | 1.5 | 2.5 | 1 | 1 | 1500.5 | 2024-05-01T10:30:00.000Z | 2 | London",
               "rows 1"}));
}
