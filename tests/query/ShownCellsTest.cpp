// Delimited text of a result as the grid shows it: a record being edited or inserted with what
// was typed into it, and a writing that reports its rows and stops when told to.
#include "AdoTestSupport.h"
#include "DelimitedText.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

class ShownCells : public SqliteFixture {
protected:
    void SetUp() override {
        SqliteFixture::SetUp();
        run("create table people (id integer primary key, name text, note text)");
        run("insert into people values (1, 'Ann', 'a,b'), (2, 'Bo', null), (3, 'Cy', 'x')");
        table.SetConnection(&connection);
        table.SetTableName("people");
        table.Open();
    }

    std::string Csv() {
        const query::TShownCells cells(table);
        return query::DelimitedText(cells, query::WholeResult(cells), {',', "\n", false})
            .value_or("<stopped>");
    }

    ado::TADOTable table;
};

} // namespace

TEST_F(ShownCells, AnEditedRecordShowsWhatWasTypedAndAnInsertedOneTakesItsPlace) {
    EXPECT_EQ(Csv(), "1,Ann,\"a,b\"\n2,Bo,\n3,Cy,x\n");
    table.SetRecNo(2);
    table.Edit();
    table.FieldByName("note").SetAsString("typed");
    table.FieldByName("name").Clear();
    EXPECT_EQ(Csv(), "1,Ann,\"a,b\"\n2,,typed\n3,Cy,x\n");
    table.Cancel();

    table.SetRecNo(2);
    table.Insert();
    table.FieldByName("name").SetAsString("Di");
    const query::TShownCells cells(table);
    EXPECT_EQ(cells.RowCount(), 4);
    EXPECT_EQ(Csv(), "1,Ann,\"a,b\"\n,Di,\n2,Bo,\n3,Cy,x\n");
    table.Cancel();
    EXPECT_EQ(Csv(), "1,Ann,\"a,b\"\n2,Bo,\n3,Cy,x\n");
}

TEST_F(ShownCells, WritingReportsItsRowsAndStopsWhenTold) {
    run("create table many as with recursive n(i) as (select 1 union all select i + 1 from n "
        "where i < 10000) select i from n");
    table.Close();
    table.SetTableName("many");
    table.Open();
    const query::TShownCells cells(table);
    std::vector<int> reports;
    const auto whole = query::DelimitedText(cells, query::WholeResult(cells), {}, [&](int Rows) {
        reports.push_back(Rows);
        return true;
    });
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(std::count(whole->begin(), whole->end(), '\n'), 10001); // the names and the rows
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.front(), 0);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_LT(reports.back(), 10000);

    size_t written = 0;
    int told = 0;
    const bool finished = query::WriteDelimited(
        cells, query::WholeResult(cells), {},
        [&](std::string_view Piece) { written += Piece.size(); }, [&](int) { return ++told < 2; });
    EXPECT_FALSE(finished);
    EXPECT_EQ(told, 2);
    EXPECT_LT(written, whole->size());
    EXPECT_FALSE(query::DelimitedText(cells, query::WholeResult(cells), {}, [](int) {
                     return false;
                 }).has_value());
}
