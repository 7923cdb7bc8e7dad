// Datasets against SQLite: field definitions, naming, navigation, whole values, editing.
#include "AdoTestSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

class SqliteDataSet : public SqliteFixture {
protected:
    void SetUp() override {
        SqliteFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        run("create table people(id integer primary key autoincrement, name varchar(10), "
            "age int, height float, born datetime, active bit, photo blob, notes text)");
        run("insert into people(name, age, height, born, active, photo, notes) values "
            "('Ann', 31, 1.75, '1990-01-02 03:04:05', 1, x'00FF10', 'first'), "
            "('Bob', null, 1.8, null, 0, null, ''), "
            "('Cy', 7, null, '2015-05-06 07:08:09', 1, x'', null)");
        query.SetConnection(&connection);
        table.SetConnection(&connection);
    }

    void openQuery(const std::string& sql) {
        query.Close();
        query.SetSQL(sql);
        query.Open();
    }

    std::vector<std::string> column(TCustomADODataSet& dataSet, const std::string& field) {
        std::vector<std::string> values;
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
            values.push_back(dataSet.FieldByName(field).IsNull()
                                 ? "<null>"
                                 : dataSet.FieldByName(field).AsString());
        return values;
    }

    std::vector<std::string> namesInTable() {
        openQuery("select name from people order by id");
        return column(query, "name");
    }

    TADOQuery query;
    TADOTable table;
};

} // namespace

TEST_F(SqliteDataSet, FieldDefinitionsCarryTypeCodesSizesAndAutoIncrement) {
    table.SetTableName("people");
    const TFieldDefs& defs = table.FieldDefs();
    EXPECT_FALSE(table.Active()); // no rows were read
    ASSERT_EQ(defs.Count(), 8);
    const std::vector<std::pair<TFieldType, int>> expected = {
        {ftAutoInc, 0},  {ftString, 10}, {ftInteger, 0}, {ftFloat, 0},
        {ftDateTime, 0}, {ftBoolean, 0}, {ftBytes, 255}, {ftMemo, 0}};
    for (int i = 0; i < defs.Count(); ++i) {
        SCOPED_TRACE(defs[i].Name);
        EXPECT_EQ(defs[i].DataType, expected[static_cast<size_t>(i)].first);
        EXPECT_EQ(defs[i].Size, expected[static_cast<size_t>(i)].second);
    }
    EXPECT_EQ(table.GetFieldNames(),
              (std::vector<std::string>{"id", "name", "age", "height", "born", "active", "photo",
                                        "notes"}));
}

TEST_F(SqliteDataSet, ColumnsWithoutOrWithRepeatedNamesAreRenamed) {
    openQuery("select 1 as \"\", 2 as \"\", 3 as x, 4 as x, 5 as X");
    std::vector<std::string> names;
    for (int i = 0; i < query.FieldCount(); ++i)
        names.push_back(query.Fields(i).FieldName());
    EXPECT_EQ(names, (std::vector<std::string>{"COLUMN1", "COLUMN2", "x", "x_1", "X_2"}));
    EXPECT_EQ(query.FieldByName("x_1").AsString(), "4");
}

TEST_F(SqliteDataSet, NavigationRecordNumbersAndFieldLookup) {
    openQuery("select id, name from people order by id");
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 1);
    query.Next();
    query.Next();
    EXPECT_FALSE(query.Eof());
    EXPECT_EQ(query.FieldByName("NAME").AsString(), "Cy");
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.RecNo(), 3);
    query.Prior();
    EXPECT_EQ(query.RecNo(), 2);
    query.Last();
    EXPECT_TRUE(query.Eof());
    query.SetRecNo(1);
    EXPECT_EQ(query.Fields(1).AsString(), "Ann");
    EXPECT_EQ(errorOf([&] { query.FieldByName("nope"); }), "ADOQuery1: Field 'nope' not found");

    openQuery("select * from people where 1 = 0");
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_TRUE(query.Fields(0).IsNull());
}

TEST_F(SqliteDataSet, ValuesNullsAndRandomAccess) {
    openQuery("select name, age, born, photo, notes from people order by id");
    EXPECT_EQ(query.CellText(0, 0), "Ann");
    EXPECT_EQ(query.CellText(0, 2), "1990-01-02 03:04:05");
    EXPECT_EQ(query.CellBytes(0, 3), std::string("\x00\xFF\x10", 3));
    EXPECT_EQ(query.CellText(0, 3), "0x00FF10");
    EXPECT_TRUE(query.CellIsNull(1, 1));
    EXPECT_FALSE(query.CellIsNull(1, 4)); // an empty string is not a null
    EXPECT_EQ(query.CellText(1, 4), "");
    EXPECT_TRUE(query.CellIsNull(2, 4));
    EXPECT_FALSE(query.CellIsNull(2, 3)); // nor is an empty blob
}

TEST_F(SqliteDataSet, LongAndNonAsciiValuesAreReadWhole) {
    const std::string longName(5000, 'n'); // far beyond the declared varchar(10)
    std::string bigText;
    for (int i = 0; i < 200000; ++i)
        bigText += "line " + std::to_string(i) + " \xC3\xA9\xF0\x9F\x98\x80\n";
    run("create table big(name varchar(10), body text, data blob)");
    TADOTable bigTable("big");
    bigTable.SetConnection(&connection);
    bigTable.SetTableName("big");
    bigTable.Open();
    bigTable.Append();
    bigTable.FieldByName("name").SetAsString(longName);
    bigTable.FieldByName("body").SetAsString(bigText);
    std::string bytes(3 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    bigTable.FieldByName("data").SetAsBytes(bytes);
    bigTable.Post();

    openQuery("select name, body, data, name as again from big");
    EXPECT_EQ(query.FieldByName("name").AsString(), longName);
    EXPECT_EQ(query.FieldByName("body").AsString(), bigText);
    EXPECT_EQ(query.FieldByName("data").AsBytes(), bytes);
    EXPECT_EQ(query.FieldByName("again").AsString(), longName);
}

TEST_F(SqliteDataSet, ManyRowsArriveInOrder) {
    run("create table n(i int, s varchar(5))");
    run("with recursive c(i) as (select 1 union all select i + 1 from c where i < 5000) "
        "insert into n select i, 'v' || i from c");
    openQuery("select i, s from n order by i");
    ASSERT_EQ(query.RecordCount(), 5000);
    EXPECT_EQ(query.CellText(4999, 0), "5000");
    EXPECT_EQ(query.CellText(1233, 1), "v1234");
}

TEST_F(SqliteDataSet, TableEditsAreWrittenBackByKey) {
    table.SetTableName("people");
    table.Open();
    EXPECT_TRUE(table.CanModify());
    table.Next(); // Bob
    table.Edit();
    EXPECT_EQ(table.State(), dsEdit);
    table.FieldByName("age").SetAsString("44");
    table.FieldByName("name").SetAsString("Robert");
    table.Post();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(table.FieldByName("name").AsString(), "Robert");

    table.Append();
    table.FieldByName("name").SetAsString("Dee");
    table.Post();
    EXPECT_EQ(table.RecordCount(), 4);

    table.First();
    table.Delete();
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(namesInTable(), (std::vector<std::string>{"Robert", "Cy", "Dee"}));
    openQuery("select age from people where name = 'Robert'");
    EXPECT_EQ(query.Fields(0).AsString(), "44");
}

TEST_F(SqliteDataSet, CancelAndMovingAwayFromAnEdit) {
    table.SetTableName("people");
    table.Open();
    table.Edit();
    table.FieldByName("name").SetAsString("Changed");
    table.Cancel();
    EXPECT_EQ(table.FieldByName("name").AsString(), "Ann");
    table.Edit();
    table.FieldByName("name").SetAsString("Moved");
    table.Next(); // leaving the record posts it
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(namesInTable(), (std::vector<std::string>{"Moved", "Bob", "Cy"}));
    EXPECT_EQ(errorOf([&] { table.FieldByName("name").SetAsString("x"); }),
              "ADOTable1: Dataset not in edit or insert mode");
}

TEST_F(SqliteDataSet, RowsWithoutKeyAreFoundByTheirValuesAndDuplicatesAreRefused) {
    run("create table loose(a int, b varchar(5), c text)");
    run("insert into loose values (1, 'x', 'one'), (1, 'x', 'two'), (2, null, null)");
    TADOTable loose;
    loose.SetConnection(&connection);
    loose.SetTableName("loose");
    loose.Open();
    loose.Last(); // (2, null): a null is matched with IS NULL
    loose.Edit();
    loose.FieldByName("b").SetAsString("y");
    loose.Post();
    loose.First(); // the two rows are equal but for the long text, which is not compared
    loose.Edit();
    loose.FieldByName("a").SetAsString("9");
    EXPECT_EQ(errorOf([&] { loose.Post(); }),
              "2 rows match the record, so none of them was changed.");
    EXPECT_EQ(loose.State(), dsEdit);
    loose.Cancel();
    openQuery("select a, b from loose order by rowid");
    EXPECT_EQ(column(query, "a"), (std::vector<std::string>{"1", "1", "2"}));
    EXPECT_EQ(column(query, "b"), (std::vector<std::string>{"x", "x", "y"}));
}

TEST_F(SqliteDataSet, ARowChangedElsewhereCannotBeLocated) {
    table.SetTableName("people");
    table.Open();
    run("delete from people where name = 'Ann'");
    table.Edit();
    table.FieldByName("age").SetAsString("1");
    EXPECT_EQ(errorOf([&] { table.Post(); }),
              "Row cannot be located for updating. Some values may have been changed since it "
              "was last read.");
}

TEST_F(SqliteDataSet, BlobStreamReplacesTheWholeContent) {
    const auto file = directory.path() / "content.bin";
    auto writeFile = [&](const std::string& bytes) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    };
    table.SetTableName("people");
    table.Open();
    auto photoAfterPost = [&] {
        table.Post();
        openQuery("select photo from people where name = 'Ann'");
        return std::string(query.Fields(0).AsBytes());
    };

    writeFile("ab");
    table.Edit();
    table.FieldByName("photo").LoadFromFile(file.string()); // shorter than before
    EXPECT_EQ(photoAfterPost(), "ab");

    writeFile("");
    table.Edit();
    {
        TBlobStream stream(table.FieldByName("photo"));
        stream.Write("discarded", 9);
    }
    table.FieldByName("photo").LoadFromFile(file.string()); // an empty file
    EXPECT_EQ(photoAfterPost(), "");
    EXPECT_FALSE(query.Fields(0).IsNull());

    EXPECT_THROW(TBlobStream stream(table.FieldByName("photo")), EDatabaseError);
    table.Edit();
    EXPECT_THROW(table.FieldByName("photo").LoadFromFile((directory.path() / "none").string()),
                 EDatabaseError);
}

TEST_F(SqliteDataSet, AFileThatCannotBeReadWholeLeavesTheBlobAsItWas) {
    const auto folder = directory.path();
    const auto fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto huge = folder / "huge.bin";
    std::ofstream(huge, std::ios::binary).put('x');
    std::filesystem::resize_file(huge, 0x80000000); // sparse: 2 GB and one byte, nothing stored
    table.SetTableName("people");
    table.Open();
    table.Edit();
    TField& photo = table.FieldByName("photo");
    const std::vector<std::pair<std::filesystem::path, std::string>> failures = {
        {folder / "none", "No such file or directory."},
        {folder, "It is a folder, not a file."},
        {fifo, "It is a pipe, not a regular file."}, // would block, or never end
        {huge, "It is larger than 2147483647 bytes, too large for this file."}};
    for (const auto& [path, reason] : failures) {
        EXPECT_EQ(errorOf([&] { photo.LoadFromFile(path.string()); }),
                  "Cannot read file \"" + path.string() + "\". " + reason);
        EXPECT_EQ(photo.AsBytes(), std::string("\x00\xFF\x10", 3)) << path;
    }
    table.Post();
    openQuery("select hex(photo) from people where name = 'Ann'");
    EXPECT_EQ(query.Fields(0).AsString(), "00FF10");
}

TEST_F(SqliteDataSet, ABlobStreamLeftByAnErrorStoresNothing) {
    table.SetTableName("people");
    table.Open();
    table.Edit();
    try {
        TBlobStream stream(table.FieldByName("photo"));
        stream.Write("partial", 7);
        throw std::runtime_error("the source failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(table.FieldByName("photo").AsBytes(), std::string("\x00\xFF\x10", 3));
}

TEST_F(SqliteDataSet, ResultsOfJoinsAreReadOnly) {
    run("create table pets(owner int, kind varchar(10))");
    openQuery("select p.name, q.kind from people p join pets q on p.id = q.owner");
    EXPECT_FALSE(query.CanModify());
    EXPECT_EQ(errorOf([&] { query.Edit(); }), "ADOQuery1: Cannot modify a read-only dataset");
    openQuery("select name, age from people");
    EXPECT_TRUE(query.CanModify()); // one base table: edits go back to it
}

TEST_F(SqliteDataSet, ANewStatementClosesTheOldResult) {
    openQuery("select name from people");
    query.SetSQL("select age, height from people");
    EXPECT_FALSE(query.Active());
    query.Open();
    EXPECT_EQ(query.GetFieldNames(), (std::vector<std::string>{"age", "height"}));
}

TEST_F(SqliteDataSet, RefreshRunsTheStatementAgainAndKeepsTheRecordNumber) {
    openQuery("select name from people order by id");
    query.Last();
    run("delete from people where name = 'Cy'");
    ASSERT_TRUE(query.CanRefresh());
    query.Refresh();
    EXPECT_EQ(query.RecordCount(), 2);
    EXPECT_EQ(query.RecNo(), 2); // record 3 is gone: the last one now
    query.First();
    run("insert into people(name) values ('Dee')");
    query.Refresh();
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_EQ(column(query, "name"), (std::vector<std::string>{"Ann", "Bob", "Dee"}));

    TADODataSet handedOver;
    handedOver.SetRecordset(connection.Execute("select 1 as one"));
    EXPECT_FALSE(handedOver.CanRefresh()); // nothing of its own to run again
    table.SetTableName("people");
    EXPECT_TRUE(table.CanRefresh());
}

TEST_F(SqliteDataSet, DataLinksAndSourcesMayGoInEitherOrder) {
    int heard = 0;
    auto link = std::make_unique<TDataLink>();
    link->OnStateChange = [&](TDataSource&) { ++heard; };
    {
        TDataSource source;
        link->SetDataSource(&source);
        source.SetDataSet(&query);
        EXPECT_EQ(link->DataSet(), &query);
        EXPECT_EQ(heard, 1);
    }
    EXPECT_EQ(link->DataSource(), nullptr); // the source told the link it went
    EXPECT_EQ(link->DataSet(), nullptr);
    link.reset();

    TDataSource source;
    {
        TDataLink first;
        TDataLink second;
        first.SetDataSource(&source);
        second.SetDataSource(&source);
        // A link that unlinks another while the source tells them both.
        first.OnStateChange = [&](TDataSource&) { second.SetDataSource(nullptr); };
        second.OnStateChange = [&](TDataSource&) { ++heard; };
        source.SetDataSet(&query);
        EXPECT_EQ(heard, 1);
    }
    source.SetDataSet(nullptr); // the links are gone: nothing is called
}

TEST_F(SqliteDataSet, DataSourceAnnouncesStateAndDataChanges) {
    TDataSource source;
    std::vector<std::string> seen;
    source.OnStateChange = [&](TDataSource& sender) {
        static const char* names[] = {"inactive", "browse", "edit", "insert"};
        seen.push_back(std::string("state ") + names[sender.State()]);
    };
    source.OnDataChange = [&](TDataSource&, TDataChange change) {
        seen.push_back(change == TDataChange::Record ? "record"
                       : change == TDataChange::Data ? "data"
                                                     : "field");
    };
    table.SetTableName("people");
    source.SetDataSet(&table);
    table.Open();
    table.Next();
    table.Edit();
    table.FieldByName("age").SetAsString("5");
    table.Post();
    table.Close();
    EXPECT_EQ(seen, (std::vector<std::string>{"state inactive", "data", "state browse", "data",
                                              "record", "state edit", "field", "state browse",
                                              "data", "state inactive", "data"}));
}
