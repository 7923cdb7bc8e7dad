// The result grid and the record navigator on the demo database: the window of rows over a
// large result, the current record following the grid and the navigator, short forms of long
// values, and editing a table.
#include "ResultsFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QToolButton>

namespace {

using velmora::ado::TADOTable;

class ResultGrid : public ResultsFixture {
protected:
    void Run(const QString& Script) {
        SetScript(Script);
        Window->EntireScript1->trigger();
    }

    // The grid's rows as the dataset's row numbers they show, by the first column's value.
    int FirstShownId() const { return Grid().index(0, 0).data().toInt(); }

    void Press(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(Window->DBGrid1, static_cast<Qt::Key>(Key), Modifiers);
    }

    bool Enabled(TDBNavigator::TNavigateBtn Which) const {
        return Window->DBNavigator1->Button(Which)->isEnabled();
    }

    // Which of the ten buttons are enabled, as a string of 1s and 0s from First to Refresh.
    std::string EnabledButtons() const {
        std::string flags;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i)
            flags += Enabled(static_cast<TDBNavigator::TNavigateBtn>(i)) ? '1' : '0';
        return flags;
    }

    void Click(TDBNavigator::TNavigateBtn Which) { Window->DBNavigator1->Button(Which)->click(); }

    // Types into the grid's current cell as a user does: the first key opens the cell's editor.
    void TypeIntoGrid(const QString& Text) {
        QTest::keyClicks(Window->DBGrid1, Text.left(1));
        QTest::keyClicks(QApplication::focusWidget(), Text.mid(1));
    }

    QString Query(const QString& Script) {
        Run(Script);
        return ShownRow(0);
    }
};

TEST_F(ResultGrid, ALargeResultKeepsOnlyTheRowsInSightInTheModel) {
    Show();
    Run("create table big as with recursive c(i) as (select 1 union all select i + 1 from c "
        "where i < 10000) select i as id, 'row ' || i as name from c");
    Run("select * from big order by id");
    const int window = Grid().WindowRows();
    ASSERT_GT(window, 3);
    EXPECT_EQ(Grid().rowCount(), window);
    EXPECT_EQ(Grid().RowTotal(), 10000);
    EXPECT_EQ(Window->DBGrid1->verticalScrollBar()->maximum(), 10000 - window);
    EXPECT_EQ(Window->DBGrid1->viewport()->height() / Window->DBGrid1->rowHeight(0), window);

    Window->DBGrid1->setFocus();
    Press(Qt::Key_PageDown);
    EXPECT_EQ(Counter(), QString("%1 of 10000 records").arg(window + 1));
    EXPECT_EQ(Window->DBGrid1->currentIndex().row(), window - 1); // the window follows it
    EXPECT_EQ(FirstShownId(), 2);
    Press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Counter(), "10000 of 10000 records");
    EXPECT_EQ(FirstShownId(), 10000 - window + 1);
    EXPECT_EQ(Window->DBGrid1->verticalScrollBar()->value(), 10000 - window);
    Press(Qt::Key_Up);
    EXPECT_EQ(Counter(), "9999 of 10000 records");
    Press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Counter(), "1 of 10000 records");
    EXPECT_EQ(Window->DBGrid1->currentIndex().row(), 0);

    // The scroll bar moves the window, not the record; a click then picks a record in sight.
    Window->DBGrid1->verticalScrollBar()->setValue(5000);
    EXPECT_EQ(FirstShownId(), 5001);
    EXPECT_EQ(Counter(), "1 of 10000 records");
    EXPECT_FALSE(Window->DBGrid1->currentIndex().isValid());
    const QRect cell = Window->DBGrid1->visualRect(Grid().index(2, 1));
    QTest::mouseClick(Window->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Counter(), "5003 of 10000 records");
    Press(Qt::Key_Down);
    EXPECT_EQ(Counter(), "5004 of 10000 records");
    EXPECT_EQ(Window->DBGrid1->currentIndex().row(), 3);
}

TEST_F(ResultGrid, TheRowIndicatorMarksTheCurrentRecord) {
    Show();
    Run("select name from products order by product_id");
    Click(TDBNavigator::nbNext);
    EXPECT_EQ(Grid().headerData(1, Qt::Vertical).toString(), QString(QChar(0x25BA)));
    EXPECT_EQ(Grid().headerData(0, Qt::Vertical).toString(), "");
}

TEST_F(ResultGrid, LongTextAndBytesShowInAShortFormButKeepTheirWholeValue) {
    Show();
    Run("select picture, description, replace(hex(zeroblob(300)), '00', 'ab') as long_text, "
        "'a' || char(13) || char(10) || 'b' as two_lines from products order by product_id");
    EXPECT_EQ(Grid().index(0, 0).data().toString(), "0x89504E470D0A1A0A");
    EXPECT_EQ(Grid().index(1, 0).data().toString(), "NULL");
    const QString shown = Grid().index(0, 2).data().toString();
    EXPECT_EQ(shown.size(), 201);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_EQ(Grid().index(0, 2).data(Qt::EditRole).toString().size(), 600);
    EXPECT_EQ(Grid().index(0, 3).data().toString(), QString("a") + QChar(0x00B6) + "b");
    EXPECT_EQ(DataModule1->ADOQuery1.FieldByName("long_text").AsString().size(), 600u);
}

TEST_F(ResultGrid, ColumnsWidenToTheWidestValueThatCameIntoSightUnlessTheUserSizedThem) {
    Show();
    Run("create table growing as with recursive c(i) as (select 1 union all select i + 1 "
        "from c where i < 3000) select i as id, case when i > 1000 then 1234567890123456 "
        "else i end as n, case when i > 1000 then printf('%.400c', 'w') else 'x' end as t, "
        "case when i > 1000 then 'wide text here' else 'y' end as u from c");
    Run("select * from growing order by id");
    TDBGrid& grid = *Window->DBGrid1;
    const int narrow = grid.columnWidth(1);
    const QString wideNumber = "1234567890123456";
    ASSERT_LT(narrow, grid.fontMetrics().horizontalAdvance(wideNumber));
    grid.horizontalHeader()->resizeSection(3, 40); // the user's own width
    grid.verticalScrollBar()->setValue(2000);
    ASSERT_EQ(Grid().index(0, 1).data().toString(), wideNumber);
    EXPECT_GT(grid.columnWidth(1), grid.fontMetrics().horizontalAdvance(wideNumber));
    EXPECT_EQ(grid.columnWidth(2), 300); // a long text is bounded
    EXPECT_EQ(grid.columnWidth(3), 40);
    grid.verticalScrollBar()->setValue(0); // the widest value seen so far still fits
    EXPECT_GT(grid.columnWidth(1), grid.fontMetrics().horizontalAdvance(wideNumber));

    Run("select 1 as n"); // a new result starts afresh
    EXPECT_LT(grid.columnWidth(0), grid.fontMetrics().horizontalAdvance(wideNumber));
}

TEST_F(ResultGrid, AMessageShowsUnwrappedWithItsWholeTextInTheTooltipAndOnCopy) {
    Show();
    const QString table = "t_" + QString(300, 'q');
    Run("select * from " + table);
    ASSERT_EQ(Titles(), QStringList{"Result"});
    const QString message = DataModule1->ADOQuery1.FieldByName("Result").AsString().c_str();
    ASSERT_TRUE(message.contains("no such table: " + table)) << message.toStdString();
    EXPECT_FALSE(Window->DBGrid1->wordWrap());
    EXPECT_TRUE(Grid().index(0, 0).data().toString().endsWith(QChar(0x2026)));
    const QString tip = Grid().index(0, 0).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains(table)) << tip.toStdString();

    Window->DBGrid1->setFocus();
    Window->DBGrid1->setCurrentIndex(Grid().index(0, 0));
    QApplication::clipboard()->clear();
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), message);

    Run("select 'short' as s"); // a value shown whole needs no tooltip
    EXPECT_TRUE(Grid().index(0, 0).data(Qt::ToolTipRole).toString().isEmpty());
}

TEST_F(ResultGrid, TheGridIsWhiteWithArialCellsAndTahomaTitles) {
    EXPECT_EQ(Window->DBGrid1->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(Window->DBGrid1->font().family(), "Arial");
    EXPECT_EQ(Window->DBGrid1->font().pixelSize(), 11);
    EXPECT_EQ(Window->DBGrid1->horizontalHeader()->font().family(), "Tahoma");
    EXPECT_EQ(Window->DBGrid1->verticalHeader()->defaultSectionSize(),
              QFontMetrics(Window->DBGrid1->font()).height() + 4); // rows fit the cells' font
    EXPECT_EQ(Window->DBNavigator1->height(), 18);
}

TEST_F(ResultGrid, TheNavigatorMovesThroughAQueryResultAndCannotChangeIt) {
    EXPECT_EQ(EnabledButtons(), "0000000000"); // nothing bound yet
    Run("select name from customers order by customer_id");
    EXPECT_EQ(Counter(), "1 of 5 records");
    EXPECT_EQ(EnabledButtons(), "0011000001"); // at the start; read-only; can run again
    Click(TDBNavigator::nbNext);
    EXPECT_EQ(Counter(), "2 of 5 records");
    EXPECT_EQ(EnabledButtons(), "1111000001");
    Click(TDBNavigator::nbLast);
    EXPECT_EQ(Counter(), "5 of 5 records");
    EXPECT_EQ(EnabledButtons(), "1100000001");
    Click(TDBNavigator::nbPrior);
    EXPECT_EQ(Counter(), "4 of 5 records");
    Click(TDBNavigator::nbFirst);
    EXPECT_EQ(Counter(), "1 of 5 records");
    EXPECT_EQ(Window->DBGrid1->currentIndex().row(), 0);
    EXPECT_EQ(Grid().flags(Grid().index(0, 0)) & Qt::ItemIsEditable, Qt::NoItemFlags);

    Run("select\r\nname from customers"); // handed over from a command: nothing to run again
    EXPECT_EQ(EnabledButtons(), "0011000000");
}

TEST_F(ResultGrid, RefreshRunsTheQueryAgain) {
    Run("select count(*) as n from orders");
    EXPECT_EQ(ShownRow(0), "4");
    DataModule1->ADOConnection1.Execute("delete from order_lines where order_id = 4");
    DataModule1->ADOConnection1.Execute("delete from orders where order_id = 4");
    Click(TDBNavigator::nbRefresh);
    EXPECT_EQ(ShownRow(0), "3");
}

TEST_F(ResultGrid, ATableIsEditedThroughTheGridAndTheNavigator) {
    Show();
    TADOTable& table = ShowTable("customers");
    EXPECT_EQ(EnabledButtons(), "0011111001");
    Click(TDBNavigator::nbLast);

    Click(TDBNavigator::nbInsert); // before the last record, which moves down
    EXPECT_EQ(Counter(), "5 of 5 records");
    EXPECT_EQ(Grid().RowTotal(), 6);
    EXPECT_EQ(EnabledButtons(), "1100110111");
    const int row = Grid().CurrentRow() - Grid().FirstRow();
    EXPECT_EQ(Grid().headerData(row, Qt::Vertical).toString(), "*");
    ASSERT_TRUE(Grid().flags(Grid().index(row, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(Grid().setData(Grid().index(row, 1), "Fay Ng"));
    EXPECT_TRUE(Grid().setData(Grid().index(row, 4), "2025-06-01 10:00:00"));
    EXPECT_TRUE(Grid().setData(Grid().index(row, 5), "1"));
    EXPECT_EQ(ShownRow(row), "NULL|Fay Ng|NULL|NULL|2025-06-01 10:00:00|1");
    Click(TDBNavigator::nbPost);
    EXPECT_EQ(table.RecordCount(), 6);
    EXPECT_EQ(Query("select count(*) from customers where name = 'Fay Ng'"), "1");

    ShowTable("customers");
    Click(TDBNavigator::nbEdit);
    EXPECT_EQ(Grid().headerData(0, Qt::Vertical).toString(), "I");
    Grid().setData(Grid().index(0, 2), "Stockholm");
    EXPECT_EQ(Grid().index(0, 2).data().toString(), "Stockholm");
    Click(TDBNavigator::nbCancel);
    EXPECT_EQ(Grid().index(0, 2).data().toString(), "Uppsala");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ResultGrid, MovingToAnotherRowPostsTheEditAndAFailedPostStaysOnTheRecord) {
    Show();
    ShowTable("customers");
    Grid().setData(Grid().index(0, 2), "Stockholm");
    EXPECT_EQ(DataModule1->ADOTable1.State(), velmora::ado::dsEdit);
    Window->DBGrid1->setFocus();
    Press(Qt::Key_Down);
    EXPECT_EQ(Counter(), "2 of 5 records");
    EXPECT_EQ(Query("select city from customers where customer_id = 1"), "Stockholm");

    ShowTable("customers");
    Press(Qt::Key_Down);
    Grid().setData(Grid().index(1, 4), ""); // no date: joined is NOT NULL, the post fails
    Press(Qt::Key_Up);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtError);
    EXPECT_EQ(DataModule1->ADOTable1.RecNo(), 2);
    EXPECT_EQ(Window->DBGrid1->currentIndex().row(), 1);
    Click(TDBNavigator::nbCancel);
    EXPECT_EQ(ShownRow(1).section('|', 1, 1), "Bruno Castell");
}

TEST_F(ResultGrid, TextTypedIntoACellGoesToTheRecordWhicheverWayTheUserLeavesIt) {
    Show();
    // The city of customer (row + 1), typed into its cell; the editor stays open.
    auto typeCity = [this](int Row, const QString& City) -> QWidget* {
        const QModelIndex cell = Grid().index(Row - Grid().FirstRow(), 2);
        Window->DBGrid1->setCurrentIndex(cell);
        Window->DBGrid1->edit(cell);
        QWidget* editor = QApplication::focusWidget();
        EXPECT_NE(editor, Window->DBGrid1) << "no editor open";
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, City);
        return editor;
    };
    auto cityOf = [this](int Customer) {
        return Query(QString("select city from customers where customer_id = %1").arg(Customer));
    };
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> ways = {
        {"Down", [](QWidget* Editor) { QTest::keyClick(Editor, Qt::Key_Down); }},
        {"Up", [](QWidget* Editor) { QTest::keyClick(Editor, Qt::Key_Up); }},
        {"Page Down", [](QWidget* Editor) { QTest::keyClick(Editor, Qt::Key_PageDown); }},
        {"Page Up", [](QWidget* Editor) { QTest::keyClick(Editor, Qt::Key_PageUp); }},
        {"a click on another row",
         [this](QWidget*) {
             const int other = Grid().CurrentRow() == 0 ? 1 : 0;
             QTest::mouseClick(Window->DBGrid1->viewport(), Qt::LeftButton, {},
                               Window->DBGrid1->visualRect(Grid().index(other, 1)).center());
         }},
        {"the navigator's Next", [this](QWidget*) { Click(TDBNavigator::nbNext); }},
        {"the navigator's Post", [this](QWidget*) { Click(TDBNavigator::nbPost); }},
    };
    for (const auto& [way, leave] : ways) {
        ShowTable("customers");
        Window->DBGrid1->setFocus();
        const std::string name = way;
        const int row = name == "Up" || name == "Page Up" ? 1 : 0;
        const QString city = QString("City by ") + way;
        const QPointer<QWidget> editor = typeCity(row, city);
        leave(editor);
        EXPECT_TRUE(editor.isNull() || !editor->isVisible()) << way << ": the editor stays open";
        EXPECT_EQ(DataModule1->ADOTable1.State(), velmora::ado::dsBrowse) << way;
        EXPECT_EQ(cityOf(row + 1), city) << way;
    }
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ResultGrid, TypingPutsTheRecordInEditStateAndEscapeTakesItBack) {
    Show();
    ShowTable("customers");
    Window->DBGrid1->setFocus();
    Window->DBGrid1->setCurrentIndex(Grid().index(0, 2));
    TypeIntoGrid("Oslo");
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, Window->DBGrid1) << "no editor open";
    EXPECT_EQ(editor->property("text").toString(), "Oslo");
    EXPECT_EQ(DataModule1->ADOTable1.State(), velmora::ado::dsEdit);
    EXPECT_EQ(EnabledButtons(), "0011110111"); // Post and Cancel offered, Edit not
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(DataModule1->ADOTable1.State(), velmora::ado::dsBrowse);
    EXPECT_EQ(ShownRow(0).section('|', 2, 2), "Uppsala");

    // Escape drops only what the open editor holds: a value already given to the record stays.
    Grid().setData(Grid().index(0, 1), "Ann Kept");
    TypeIntoGrid("Bergen");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(DataModule1->ADOTable1.State(), velmora::ado::dsEdit);
    Click(TDBNavigator::nbPost);
    EXPECT_EQ(Query("select name || '/' || city from customers where customer_id = 1"),
              "Ann Kept/Uppsala");

    // In a table of one cell the repaint after the state change must not undo the typing.
    Run("create table single(word varchar(10)); insert into single values ('old')");
    ShowTable("single");
    Window->DBGrid1->setFocus();
    TypeIntoGrid("new");
    Click(TDBNavigator::nbPost);
    EXPECT_EQ(Query("select word from single"), "new");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ResultGrid, ScrollingAwayFromAnOpenEditorKeepsItsTextOnItsOwnRecord) {
    Show();
    Run("create table many(id integer primary key, name varchar(20)); insert into many with "
        "recursive "
        "c(i) as (select 1 union all select i + 1 from c where i < 500) select i, 'row ' || i "
        "from c");
    ShowTable("many");
    Window->DBGrid1->setFocus();
    const QModelIndex cell = Grid().index(0, 1);
    Window->DBGrid1->setCurrentIndex(cell);
    Window->DBGrid1->edit(cell);
    const QPointer<QWidget> editor = QApplication::focusWidget();
    ASSERT_NE(editor, Window->DBGrid1) << "no editor open";
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "first");
    // The grid's rows are a window over the result: a scrolled window shows other records.
    Window->DBGrid1->verticalScrollBar()->setValue(200);
    EXPECT_TRUE(editor.isNull() || !editor->isVisible());
    Click(TDBNavigator::nbPost);
    EXPECT_EQ(Query("select group_concat(id) from many where name = 'first'"), "1");
}

TEST_F(ResultGrid, DeleteAsksFirst) {
    TADOTable& table = ShowTable("order_lines");
    Dialogs.Answers = {QMessageBox::Cancel, QMessageBox::Ok};
    Click(TDBNavigator::nbDelete);
    EXPECT_EQ(table.RecordCount(), 6);
    Click(TDBNavigator::nbDelete);
    EXPECT_EQ(table.RecordCount(), 5);
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Delete record?");
    EXPECT_EQ(Dialogs.Messages[0].DlgType, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(Query("select count(*) from order_lines"), "5");
}

TEST_F(ResultGrid, BlobsAreNotTypedIntoCells) {
    ShowTable("products");
    const int picture = Titles().indexOf("picture");
    const int name = Titles().indexOf("name");
    EXPECT_FALSE(Grid().flags(Grid().index(0, picture)) & Qt::ItemIsEditable);
    EXPECT_TRUE(Grid().flags(Grid().index(0, name)) & Qt::ItemIsEditable);
    EXPECT_EQ(Window->DBGrid1->SelectedField()->FieldName(), "product_id");
}

} // namespace
