// The generators on PostgreSQL, driven through the real main window: templates for a table of
// many column types, SP_HELPTEXT Ex on a function, and a file stored into a bytea field.
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataSetTableModel.h"
#include "PostgresWindowTest.h"
#include "ScriptEditor.h"
#include "untHistory.h"

#include <QAction>
#include <QToolButton>
#include <fstream>

using namespace velmora;

namespace {

class GeneratorsPostgres : public PostgresWindowTest {
protected:
    std::string MakeObjects() const override {
        return "create table public." + Table.toStdString() +
               "(id serial primary key, qty smallint, amount numeric(12,2), name varchar(20), "
               "code char(3), note text, photo bytea, stamp timestamp); "
               "insert into public." +
               Table.toStdString() +
               "(qty, name, photo) values (1, 'first', '\\x0102030405'); "
               "create function public." +
               Function.toStdString() +
               "(gross int) returns int as $$ select gross $$ language sql";
    }
    std::string DropObjects() const override {
        return "drop table if exists public." + Table.toStdString() +
               "; drop function if exists public." + Function.toStdString();
    }

    QString Script() const { return Window->SourceEdit1->Text(); }

    std::string StoredPhoto() {
        ado::TADOQuery query;
        query.SetConnection(&Admin);
        query.SetSQL("select encode(photo, 'hex') from public." + Table.toStdString());
        query.Open();
        return query.Fields(0).AsString();
    }

    const QString Table = Own("stock");
    const QString Function = Own("gross_price");
};

} // namespace

TEST_F(GeneratorsPostgres, TemplatesListEveryColumnWithItsSqlServerType) {
    Window->LastTable = Table;
    Window->ALTERTABLE1->trigger();
    EXPECT_EQ(Script(), "ALTER TABLE " + Table +
                            "\r\n    id autoinc [0]\r\n,   qty smallint [0]\r\n"
                            ",   amount decimal(12,2) [2]\r\n,   name nvarchar [20]\r\n"
                            ",   code nchar [3]\r\n,   note ntext [0]\r\n,   photo image [0]\r\n"
                            ",   stamp datetime [0]\r\n");
    Window->SourceEdit1->SetText("");
    Window->Blank1->trigger();
    EXPECT_TRUE(Script().endsWith("create procedure p_" + Table +
                                  "\r\n\t @id \t\t\t\tint \r\n\t,@qty \t\t\t\tsmallint\r\n"
                                  "\t,@amount \t\t\t\tdecimal(12,2)\r\n"
                                  "\t,@name \t\t\t\tnvarchar (20)\r\n\t,@code \t\t\t\tnchar (3)\r\n"
                                  "\t,@note \t\t\t\tntext\r\n\t,@photo \t\t\t\timage\r\n"
                                  "\t,@stamp \t\t\t\tdatetime\r\nAS \r\n"))
        << Script().toStdString();
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(GeneratorsPostgres, SpHelpTextExOnAFunctionShowsTheServersErrorAndAppendsNothing) {
    QTreeWidgetItem* function = Node(Window->tvStoredProcedures, Function);
    ASSERT_NE(function, nullptr);
    Click(Window->tvStoredProcedures, function);
    Window->AppendToScript("x");
    Window->SPHELPTEXTEx1->trigger();
    EXPECT_EQ(Script(), "x");
    EXPECT_TRUE(frmHistory->Text().startsWith("SP_HELPTEXT " + Function + "\n"));
    const QString shown = Window->DBGrid1->Model()->index(0, 0).data().toString();
    EXPECT_TRUE(shown.contains("syntax error")) << shown.toStdString();
    // The server's error is the result; no second error goes on about the missing source.
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(GeneratorsPostgres, AFileStoredIntoAByteaFieldRoundTrips) {
    Window->ShowTableInGrid(Table);
    const int photo = Window->DataSource1.DataSet()->FindField("photo")->Index();
    const QString path = QDir::temp().filePath(Own("photo.bin"));
    const std::string bytes("\x00\xFF\r\n\x7F", 5);
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
    Dialogs.Answers = {QMessageBox::Yes};
    Dialogs.FileAnswers = {path};
    Window->DBGrid1CellClick(photo);
    Window->DBNavigator1->Button(TDBNavigator::nbPost)->click();
    QFile::remove(path);
    EXPECT_EQ(StoredPhoto(), "00ff0d0a7f");
    EXPECT_EQ(Dialogs.Messages.size(), 1u);
}
