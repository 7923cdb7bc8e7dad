// The table and procedure menus on the demo database: what each item appends to the script,
// by menu, by mouse and by shortcut, and what it does when the table or procedure is missing.
#include "ResultsFixture.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const char* const CustomersColumns = "customer_id\r\n\t,name\r\n\t,city\r\n\t,email\r\n\t,joined"
                                     "\r\n\t,active\r\n";

class TemplatesWindow : public ResultsFixture {
protected:
    // The text an item appends to an empty script.
    QString Generated(QAction* Item) {
        Window->SourceEdit1->SetText("");
        Item->trigger();
        return Window->SourceEdit1->Text();
    }

    // A procedure node, selected as a left click leaves it, with its name remembered.
    void ChooseProcedure(const QString& Name) {
        auto* node = new QTreeWidgetItem(QStringList{Name});
        Window->tvStoredProcedures->addTopLevelItem(node);
        Window->tvStoredProcedures->setCurrentItem(node);
        Window->LastStoredProc = Name;
    }

    // Chooses the item of a menu that pops up modally, once it shows, with the mouse.
    void ClickWhenShown(QMenu* Menu, QAction* Item) {
        QTimer::singleShot(0, Menu, [Menu, Item] {
            ASSERT_TRUE(QTest::qWaitFor([Menu] { return Menu->isVisible(); }));
            QTest::mouseClick(Menu, Qt::LeftButton, {}, Menu->actionGeometry(Item).center());
        });
    }
};

TEST_F(TemplatesWindow, TableStatementsForTheRememberedTable) {
    Window->LastTable = "customers";
    EXPECT_EQ(Generated(Window->SELECT1), "SELECT * FROM customers");
    EXPECT_EQ(Generated(Window->SELECTExtended1),
              QString("SELECT \r\n\t ") + CustomersColumns + "FROM customers\r\n WHERE ");
    EXPECT_EQ(Generated(Window->INSERT1),
              QString("INSERT INTO customers\r\n(\r\n\t ") + CustomersColumns +
                  ")\r\nVALUES\r\n(\r\n\t @customer_id\r\n\t,@name\r\n\t,@city\r\n\t,@email\r\n"
                  "\t,@joined\r\n\t,@active\r\n)\r\n");
    EXPECT_EQ(Generated(Window->UPDATE1),
              "UPDATE customers \r\n SET \r\n\tcustomer_id = customer_id\r\n\t,name = name\r\n"
              "\t,city = city\r\n\t,email = email\r\n\t,joined = joined\r\n\t,active = active\r\n"
              "WHERE\r\n");
    EXPECT_EQ(Generated(Window->DELETE1), "DELETE FROM customers\r\n WHERE ");
    EXPECT_EQ(Generated(Window->TRUNCATE1), "TRUNCATE TABLE customers");
    EXPECT_TRUE(Generated(Window->CREATETABLE1).startsWith("if exists (select * from sysobjects"));
    EXPECT_EQ(Generated(Window->ALTERTABLE1),
              "ALTER TABLE customers\r\n    customer_id autoinc [0]\r\n,   name varchar [60]\r\n"
              ",   city varchar [40]\r\n,   email varchar [80]\r\n,   joined datetime [0]\r\n"
              ",   active bit [0]\r\n");
    EXPECT_EQ(Generated(Window->DROPTABLE1), "DROP TABLE customers");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(TemplatesWindow, EachItemAddsANewLastLine) {
    Window->LastTable = "order_lines";
    SetScript("-- mine");
    Window->DELETE1->trigger();
    Window->INSERT1->trigger(); // ends with a line break, so the script ends with an empty line
    Window->TRUNCATE1->trigger();
    EXPECT_TRUE(
        Script().startsWith("-- mine\r\nDELETE FROM order_lines\r\n WHERE \r\nINSERT INTO"));
    EXPECT_TRUE(Script().endsWith("\t,@unit_price\r\n)\r\n\r\nTRUNCATE TABLE order_lines"));
}

TEST_F(TemplatesWindow, WithoutATableSomeItemsWriteBareFormsAndOthersNothing) {
    SetScript("x");
    Window->SELECTExtended1->trigger(); // an empty text: an empty line
    EXPECT_EQ(Script(), "x\r\n");
    for (QAction* item : {Window->ALTERTABLE1, Window->DROPTABLE1, Window->Blank1,
                          Window->UPDATEINSERT1, Window->SELECT2})
        item->trigger();
    EXPECT_EQ(Script(), "x\r\n");
    EXPECT_EQ(Generated(Window->SELECT1), "SELECT * FROM ");
    EXPECT_EQ(Generated(Window->INSERT1), "INSERT INTO  ()\r\n VALUES ()");
    EXPECT_EQ(Generated(Window->UPDATE1), "UPDATE  ()\r\n SET WHERE");
    EXPECT_EQ(Generated(Window->DELETE1), "DELETE FROM \r\n WHERE ");
    EXPECT_EQ(Generated(Window->TRUNCATE1), "TRUNCATE TABLE ");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(TemplatesWindow, AlterTableEmptiesTheGridShowingATable) {
    Show();
    velmora::ado::TADOTable& table = ShowTable("products");
    ASSERT_EQ(Grid().columnCount(), 7);
    Window->LastTable = "customers";
    Window->ALTERTABLE1->trigger();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(Grid().columnCount(), 0);
    EXPECT_TRUE(Script().startsWith("ALTER TABLE customers\r\n"));
}

TEST_F(TemplatesWindow, ProcedureTemplatesDeclareEveryFieldAndLeaveAnEmptyLineBeforeTheBody) {
    const QString header =
        "if exists (select * from sysobjects where id = object_id(N'[p_products]') and "
        "OBJECTPROPERTY(id, N'IsProcedure') = 1)\r\n drop procedure [p_products] \r\n\r\nGO\r\n"
        "\r\ncreate procedure p_products\r\n"
        "\t @product_id \t\t\t\tint \r\n"
        "\t,@name \t\t\t\tvarchar (60)\r\n"
        "\t,@price \t\t\t\tfloat\r\n"
        "\t,@stock \t\t\t\tint\r\n"
        "\t,@discontinued \t\t\t\tbit\r\n"
        "\t,@description \t\t\t\ttext\r\n"
        "\t,@picture \t\t\t\timage\r\n"
        "AS \r\n";
    Window->LastTable = "products";
    EXPECT_EQ(Generated(Window->Blank1), header);

    const QString upsert = Generated(Window->UPDATEINSERT1);
    EXPECT_TRUE(upsert.startsWith(header + "\r\nif IsNull(@product_id,0) = 0 \r\nbegin\r\n"));
    EXPECT_TRUE(upsert.contains("\tinsert into products\r\n\t(\r\n\t\t name\r\n\t\t,price\r\n"));
    EXPECT_TRUE(upsert.endsWith("\twhere\r\n\t\tproduct_id = @product_id\r\n\r\n"
                                "\tselect @product_id As 'product_id'\r\nend\r\n"));

    const QString select = Generated(Window->SELECT2);
    EXPECT_TRUE(select.startsWith(header +
                                  "\r\nselect\r\n\t*\r\nfrom\r\n\tproducts (nolock)\r\n"
                                  "where\r\n\t(@product_id is null or product_id = "
                                  "@product_id)\r\nand \t(@name is null or name = @name)"));
    EXPECT_TRUE(select.endsWith("and \t(@picture is null or picture = @picture)\r\n"));
}

TEST_F(TemplatesWindow, AnUnknownTableWritesNothingAndTheErrorBoxSaysWhy) {
    Window->LastTable = "no_such_table";
    SetScript("x");
    for (QAction* item : {Window->SELECTExtended1, Window->INSERT1, Window->UPDATE1,
                          Window->ALTERTABLE1, Window->Blank1})
        item->trigger();
    EXPECT_EQ(Script(), "x");
    ASSERT_EQ(Dialogs.Messages.size(), 5u);
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("no_such_table"))
        << Dialogs.Messages[0].Text.toStdString();
}

TEST_F(TemplatesWindow, AHeaderAlreadyAppendedStaysWhenTheBodyFails) {
    velmora::ado::TADOConnection& connection = DataModule1->ADOConnection1;
    connection.Execute("create table fleeting(id integer primary key autoincrement, n int)");
    velmora::ado::TADOConnection other;
    other.SetConnectionString(connection.ConnectionString());
    other.Open();
    // The table goes between the header's reading of the fields and the body's.
    const auto logging = connection.OnWillExecute;
    int executions = 0;
    connection.OnWillExecute = [&](velmora::ado::TADOConnection& Sender) {
        logging(Sender);
        if (++executions == 2)
            other.Execute("drop table fleeting");
    };
    Window->LastTable = "fleeting";
    Window->UPDATEINSERT1->trigger();
    connection.OnWillExecute = logging;
    EXPECT_TRUE(Script().startsWith("if exists"));
    EXPECT_TRUE(Script().endsWith("\t,@n \t\t\t\tint\r\nAS \r\n")) << Script().toStdString();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("fleeting"));
}

TEST_F(TemplatesWindow, ProcedureCommandsNeedASelectedProcedureNode) {
    Window->LastStoredProc = "p_Orders"; // remembered, but the rebuilt tree selects nothing
    SetScript("x");
    Window->SPHELPTEXT1->trigger();
    Window->SPHELPTEXTEx1->trigger();
    EXPECT_EQ(Script(), "x");
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    for (const TScriptedDialogs::TMessage& message : Dialogs.Messages) {
        EXPECT_EQ(message.Text, "You must first select a store procedure.");
        EXPECT_EQ(message.DlgType, TMsgDlgType::mtInformation);
        EXPECT_EQ(message.Buttons, QMessageBox::Ok);
    }

    ChooseProcedure("p_Orders");
    Window->SPHELPTEXT1->trigger();
    EXPECT_EQ(Script(), "x\r\nSP_HELPTEXT p_Orders");
    Window->LastStoredProc.clear();
    Window->SPHELPTEXT1->trigger();
    EXPECT_EQ(Script(), "x\r\nSP_HELPTEXT p_Orders\r\nSP_HELPTEXT ");
}

TEST_F(TemplatesWindow, SpHelpTextExThatFailsShowsTheServersMessageAndAppendsNothing) {
    ChooseProcedure("p_Orders");
    SetScript("x");
    Window->SPHELPTEXTEx1->trigger();
    EXPECT_EQ(Script(), "x");
    EXPECT_TRUE(frmHistory->Text().startsWith("SP_HELPTEXT p_Orders\n========================"));
    EXPECT_EQ(Titles(), QStringList{"Result"}); // SQLite has no SP_HELPTEXT
    // The server's message is the result; no second error goes on about the missing source.
    EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front().Text.toStdString();
}

TEST_F(TemplatesWindow, TableMenuShortcutsActInTheEditorOnly) {
    Window->LastTable = "customers";
    Focus(Editor());
    QTest::keyClick(Editor(), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(Script(), "SELECT * FROM customers");
    QTest::keyClick(Editor(), Qt::Key_F2, Qt::ShiftModifier);
    QTest::keyClick(Editor(), Qt::Key_F3, Qt::ShiftModifier);
    QTest::keyClick(Editor(), Qt::Key_F4, Qt::ShiftModifier);
    QTest::keyClick(Editor(), Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(Editor(), Qt::Key_F6, Qt::ShiftModifier);
    const QStringList starts = {"SELECT * FROM customers", "SELECT ",
                                "INSERT INTO customers",   "UPDATE customers ",
                                "DELETE FROM customers",   "TRUNCATE TABLE"};
    for (const QString& start : starts)
        EXPECT_TRUE(Script().contains("\r\n" + start) || Script().startsWith(start))
            << start.toStdString();
    EXPECT_TRUE(Script().endsWith("TRUNCATE TABLE customers"));

    const QString before = Script();
    Focus(Window->tvTablesViews);
    QTest::keyClick(Window->tvTablesViews, Qt::Key_F1, Qt::ShiftModifier);
    QTest::keyClick(Window->tvTablesViews, Qt::Key_F5, Qt::ShiftModifier); // refreshes instead
    EXPECT_EQ(Script(), before);
}

TEST_F(TemplatesWindow, TheToolbarMenusRunTheirItemsByMouse) {
    Show();
    Window->LastTable = "customers";
    ClickWhenShown(Window->popTableSQL, Window->SELECT1);
    QTest::mouseClick(Window->ToolButton1, Qt::LeftButton);
    EXPECT_EQ(Script(), "SELECT * FROM customers");
    EXPECT_EQ(Window->miLastTable->text(), "customers");

    ChooseProcedure("p_Orders");
    ClickWhenShown(Window->popStoreProcSQL, Window->SPHELPTEXT1);
    QTest::mouseClick(Window->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(Script(), "SELECT * FROM customers\r\nSP_HELPTEXT p_Orders");
}

} // namespace
