// GUIDs, date-time literals, Copy Selected Over by the control that has the focus, and a file
// stored into a blob field by a click on its cell, on the demo database.
#include "ResultsFixture.h"

#include <QAction>
#include <QDateTime>
#include <QRegularExpression>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>

namespace {

using velmora::ado::TADOTable;

class InsertionsWindow : public ResultsFixture {
protected:
    int Column(const QString& Title) const { return Titles().indexOf(Title); }

    void ClickCell(int Row, int Column) {
        const QModelIndex cell = Grid().index(Row, Column);
        QTest::mouseClick(Window->DBGrid1->viewport(), Qt::LeftButton, {},
                          Window->DBGrid1->visualRect(cell).center());
    }

    QString WriteFile(const QString& Name, const std::string& Bytes) {
        const QString path = Workspace.FilePath(Name);
        std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << Bytes;
        return path;
    }

    // The picture of the first product as the database holds it, in hexadecimal.
    QString StoredPicture() {
        velmora::ado::TADOQuery query;
        query.SetConnection(&DataModule1->ADOConnection1);
        query.SetSQL("select coalesce(hex(picture), 'NULL') from products where product_id = 1");
        query.Open();
        return QString::fromStdString(query.Fields(0).AsString());
    }

    void Post() { Window->DBNavigator1->Button(TDBNavigator::nbPost)->click(); }
};

const QRegularExpression
    GuidForm("^\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}$");

TEST_F(InsertionsWindow, TwoGuidsInARowDifferAndStandOnNewLines) {
    Focus(Editor());
    QTest::keyClick(Editor(), Qt::Key_G, Qt::ControlModifier);
    Focus(Window->tvTablesViews);
    QTest::keyClick(Window->tvTablesViews, Qt::Key_G, Qt::ControlModifier);
    const QStringList lines = Script().split("\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(GuidForm.match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_TRUE(GuidForm.match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_NE(lines[0], lines[1]);
}

TEST_F(InsertionsWindow, DateTimeIsTheLocalTimeAsAQuotedLiteral) {
    Focus(Editor());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QTest::keyClick(Editor(), Qt::Key_T, Qt::ControlModifier);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QString text = Script();
    ASSERT_TRUE(
        QRegularExpression("^'\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d'$").match(text).hasMatch())
        << text.toStdString();
    const QDateTime stamped = QDateTime::fromString(text.mid(1, 19), "yyyy-MM-dd HH:mm:ss");
    EXPECT_GE(stamped, before.addMSecs(-before.time().msec()));
    EXPECT_LE(stamped, after);
}

TEST_F(InsertionsWindow, CopySelectedOverTakesTheFocusedTreesNode) {
    QTreeWidget* tables = Window->tvTablesViews;
    QTreeWidgetItem* customers = tables->findItems("customers", Qt::MatchRecursive).value(0);
    ASSERT_NE(customers, nullptr);
    Window->FillFieldNodes("customers", customers);
    tables->setCurrentItem(customers->child(1));
    Focus(Editor());
    QTest::keyClick(Editor(), Qt::Key_Insert); // the editor copies nothing over
    EXPECT_EQ(Script(), "");

    Focus(tables);
    QTest::keyClick(tables, Qt::Key_Insert);
    EXPECT_EQ(Script(), "name [String] (60)");
    tables->clearSelection();
    QTest::keyClick(tables, Qt::Key_Insert);
    EXPECT_EQ(Script(), "name [String] (60)");

    auto* procedure = new QTreeWidgetItem(QStringList{"p_Orders"});
    Window->tvStoredProcedures->addTopLevelItem(procedure);
    Window->tvStoredProcedures->setCurrentItem(procedure);
    Window->PageControl1->setCurrentIndex(1);
    Focus(Window->tvStoredProcedures);
    Window->ToolButton4->click(); // takes no focus: the tree keeps it
    EXPECT_EQ(Script(), "name [String] (60)\r\np_Orders");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(InsertionsWindow, CopySelectedOverTakesTheGridsFieldAndANullAsNull) {
    ShowTable("customers");
    Focus(Window->DBGrid1);
    Window->DBGrid1->setCurrentIndex(Grid().index(0, Column("name")));
    Window->CopySelectedOver1->trigger();
    Window->DBGrid1->setCurrentIndex(Grid().index(2, Column("email"))); // Chiara has none
    QTest::keyClick(Window->DBGrid1, Qt::Key_Insert);
    EXPECT_EQ(Script(), "Ada Lindqvist\r\nNULL");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(InsertionsWindow, AClickOnABlobCellStoresAFileThatPostingWrites) {
    Show();
    TADOTable& table = ShowTable("products");
    const QString shorter = WriteFile("short.bin", std::string("\x01\x00\x02", 3));
    Dialogs.Answers = {QMessageBox::Yes};
    Dialogs.FileAnswers = {shorter};
    ClickCell(0, Column("picture"));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Do you want to add a file?");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Dialogs.FileDialogTitles, QStringList{"Select file to add"});
    EXPECT_EQ(table.State(), velmora::ado::dsEdit); // written only when posted
    EXPECT_EQ(StoredPicture(), "89504E470D0A1A0A");
    Post();
    EXPECT_EQ(StoredPicture(), "010002"); // nothing of the longer content before

    Dialogs.Answers = {QMessageBox::Yes};
    Dialogs.FileAnswers = {WriteFile("empty.bin", "")};
    ClickCell(0, Column("picture"));
    Post();
    EXPECT_EQ(StoredPicture(), ""); // empty, not null
}

TEST_F(InsertionsWindow, NoAnswerNoFileOrAnUnreadableFileChangesNothing) {
    Show();
    TADOTable& table = ShowTable("products");
    Dialogs.Answers = {QMessageBox::No, QMessageBox::Yes, QMessageBox::Yes};
    Dialogs.FileAnswers = {std::nullopt, Workspace.Path()};
    for (int click = 0; click < 3; ++click)
        ClickCell(0, Column("picture"));
    EXPECT_EQ(Dialogs.FileDialogTitles.size(), 2);
    ASSERT_EQ(Dialogs.Messages.size(), 4u);
    EXPECT_EQ(Dialogs.Messages[3].DlgType, TMsgDlgType::mtError);
    EXPECT_EQ(Dialogs.Messages[3].Text,
              "Cannot read file \"" + Workspace.Path() + "\". It is a folder, not a file.");
    Post();
    EXPECT_EQ(table.State(), velmora::ado::dsBrowse);
    EXPECT_EQ(StoredPicture(), "89504E470D0A1A0A");
}

TEST_F(InsertionsWindow, OnlyBlobCellsOfAnEditableTableAsk) {
    Show();
    ShowTable("products");
    ClickCell(0, Column("name"));
    SetScript("select product_id, picture from products");
    Window->EntireScript1->trigger();
    ASSERT_EQ(Titles(), (QStringList{"product_id", "picture"}));
    ClickCell(0, 1);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

} // namespace
