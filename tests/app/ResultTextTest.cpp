// Results leaving the grid: copied cells, an exported file byte for byte, and nulls shown,
// copied, exported and set from the keyboard.
#include "ResultsFixture.h"
#include "SafeFile.h"
#include "ServerWait.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {

using velmora::ado::TADOTable;

// The grid's delegate sets a cell's style in a protected function; this reaches it the way a
// view does, through the base class, so the grid's own version runs.
struct TStyleProbe : QStyledItemDelegate {
    using QStyledItemDelegate::initStyleOption;
};

QStyleOptionViewItem CellStyle(const QTableView& Grid, const QModelIndex& Cell) {
    QStyleOptionViewItem option;
    option.initFrom(&Grid);
    const auto initStyle = &TStyleProbe::initStyleOption;
    (static_cast<QStyledItemDelegate*>(Grid.itemDelegate())->*initStyle)(&option, Cell);
    return option;
}

class ResultText : public ResultsFixture {
protected:
    void Run(const QString& Script) {
        SetScript(Script);
        Window->EntireScript1->trigger();
    }

    void Press(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(Window->DBGrid1, static_cast<Qt::Key>(Key), Modifiers);
    }

    QString Copied(Qt::KeyboardModifiers Modifiers = Qt::ControlModifier) {
        QApplication::clipboard()->clear();
        Press(Qt::Key_C, Modifiers);
        return QApplication::clipboard()->text();
    }

    // Exports the grid's result through the dialog's filter Kind and reads the file back.
    std::string Exported(int Kind) {
        const QString path = Folder.filePath("result.csv");
        Window->ExportDialog1.FilterIndex = Kind;
        Dialogs.FileAnswers = {path};
        Window->ExportResult1->trigger();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<no file>";
    }

    // Values that need quoting in every form: separators, quotes, line breaks, non-ASCII text,
    // an empty text beside a null.
    void RunAwkwardValues() {
        Run("select 1 as id, 'a,b;c' as \"t,1\", 'say \"hi\"' as q, 'x' || char(13) || char(10) "
            "|| 'y' as lines, 'tab' || char(9) || 'bed' as tabbed, '\xC3\xA5r \xE2\x82\xAC' as "
            "text, '' as empty, null as missing union all select 2, null, 'plain', 'z', '', "
            "'\xCE\xB6', 'e', 'NULL' order by id");
    }

    QTemporaryDir Folder;
};

TEST_F(ResultText, ExportWritesEveryFormByteForByte) {
    RunAwkwardValues();
    EXPECT_EQ(Exported(0),
              "id,\"t,1\",q,lines,tabbed,text,empty,missing\r\n"
              "1,\"a,b;c\",\"say \"\"hi\"\"\",\"x\r\ny\",tab\tbed,\xC3\xA5r \xE2\x82\xAC,,\r\n"
              "2,,plain,z,,\xCE\xB6,e,NULL\r\n");
    EXPECT_EQ(Exported(1),
              "id;t,1;q;lines;tabbed;text;empty;missing\r\n"
              "1;\"a,b;c\";\"say \"\"hi\"\"\";\"x\r\ny\";tab\tbed;\xC3\xA5r \xE2\x82\xAC;;\r\n"
              "2;;plain;z;;\xCE\xB6;e;NULL\r\n");
    EXPECT_EQ(
        Exported(2),
        "id\tt,1\tq\tlines\ttabbed\ttext\tempty\tmissing\r\n"
        "1\ta,b;c\t\"say \"\"hi\"\"\"\t\"x\r\ny\"\t\"tab\tbed\"\t\xC3\xA5r \xE2\x82\xAC\t\t\r\n"
        "2\t\tplain\tz\t\t\xCE\xB6\te\tNULL\r\n");
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ResultText, AFailedExportKeepsTheOldFileAndSaysWhy) {
    RunAwkwardValues();
    const QString folder = Folder.filePath("missing");
    Window->ExportDialog1.FilterIndex = 0;
    Dialogs.FileAnswers = {folder + "/result.csv"};
    Window->ExportResult1->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains("result.csv"))
        << Dialogs.Messages[0].Text.toStdString();

    Dialogs.Messages.clear();
    Dialogs.FileAnswers = {std::nullopt}; // cancelled: missing is written
    Window->ExportResult1->trigger();
    EXPECT_FALSE(QFile::exists(Folder.filePath("result.csv")));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ResultText, CopyTakesTheCurrentCellOrTheSelectedBlockWithOrWithoutNames) {
    Show();
    RunAwkwardValues();
    Window->DBGrid1->setFocus();
    Window->DBGrid1->setCurrentIndex(Grid().index(0, 3));
    EXPECT_EQ(Copied(), "x\r\ny"); // one cell: its bare value
    EXPECT_EQ(Copied(Qt::ControlModifier | Qt::ShiftModifier), "lines\n\"x\r\ny\"\n");

    Press(Qt::Key_Down, Qt::ShiftModifier);
    Press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Window->DBGrid1->SelectedCells().LastRow, 1);
    EXPECT_EQ(Copied(), "\"x\r\ny\"\t\"tab\tbed\"\nz\t\n");
    EXPECT_EQ(Copied(Qt::ControlModifier | Qt::ShiftModifier),
              "lines\ttabbed\n\"x\r\ny\"\t\"tab\tbed\"\nz\t\n");

    Press(Qt::Key_Left); // a move without Shift selects the current cell alone
    EXPECT_EQ(Copied(), "z");
    Press(Qt::Key_A, Qt::ControlModifier);
    const QString all = Copied();
    EXPECT_TRUE(all.startsWith("1\ta,b;c\t")) << all.toStdString();
    EXPECT_TRUE(all.endsWith("\te\tNULL\n")) << all.toStdString();
}

// A record being edited or inserted is copied as the grid shows it, with what has been typed, and
// the rows after an inserted one keep their places.
TEST_F(ResultText, CopyDuringAnEditTakesWhatTheGridShows) {
    Show();
    ShowTable("customers");
    Window->DBGrid1->setFocus();
    Window->DBGrid1->setCurrentIndex(Grid().index(0, 2));
    Window->DBNavigator1->Button(TDBNavigator::nbEdit)->click();
    ASSERT_TRUE(Grid().setData(Grid().index(0, 2), "Stockholm"));
    EXPECT_EQ(Copied(), "Stockholm");
    Press(Qt::Key_A, Qt::ControlModifier);
    const QStringList edited = Copied().split('\n');
    ASSERT_EQ(edited.size(), 6); // five records and the empty text after the last line end
    EXPECT_TRUE(edited[0].startsWith("1\t")) << edited[0].toStdString();
    EXPECT_EQ(edited[0].section('\t', 2, 2), "Stockholm");
    Window->DBNavigator1->Button(TDBNavigator::nbCancel)->click();

    Window->DBGrid1->setCurrentIndex(Grid().index(1, 1));
    Window->DBNavigator1->Button(TDBNavigator::nbInsert)->click();
    const int inserted = Grid().CurrentRow() - Grid().FirstRow();
    ASSERT_TRUE(Grid().setData(Grid().index(inserted, 1), "Fay Ng"));
    Press(Qt::Key_A, Qt::ControlModifier);
    const QStringList rows = Copied(Qt::ControlModifier | Qt::ShiftModifier).split('\n');
    ASSERT_EQ(rows.size(), 8); // the names, six records, the empty text after the last
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(rows[row + 1].section('\t', 1, 1),
                  GridRow(Grid(), row).section('|', 1, 1).replace("NULL", ""))
            << row;
    EXPECT_EQ(rows[1 + inserted].section('\t', 1, 1), "Fay Ng");
    Window->DBNavigator1->Button(TDBNavigator::nbCancel)->click();
    EXPECT_TRUE(Dialogs.Messages.empty());
}

// Ctrl+A then Ctrl+C on a large result: the window goes on handling events while the text is
// made, Cancel stops it and leaves the clipboard as it was, and an uncancelled copy is whole.
TEST_F(ResultText, ALargeCopyLeavesTheWindowFreeAndCanBeCancelled) {
    Show();
    constexpr int rows = 300000;
    DataModule1->ADOConnection1.Execute(
        "create table many as with recursive n(i) as (select 1 union all select i + 1 from n "
        "where i < " +
        std::to_string(rows) + ") select i, 'row ' || i as t from n");
    Run("select i, t from many order by i");
    ASSERT_EQ(Grid().RowTotal(), rows);
    Window->DBGrid1->setFocus();
    Press(Qt::Key_A, Qt::ControlModifier);

    QApplication::clipboard()->setText("before");
    bool waited = false;
    QTimer::singleShot(0, Window.get(), [&] {
        waited = ServerWait().Busy();
        ServerWait().Cancel();
    });
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(waited);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    EXPECT_FALSE(ServerWait().Busy());

    const QString all = Copied();
    EXPECT_EQ(all.count('\n'), rows);
    EXPECT_TRUE(all.startsWith("1\trow 1\n2\trow 2\n"));
    EXPECT_TRUE(all.endsWith("\n300000\trow 300000\n"));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ResultText, ANullShowsAsAGreyItalicWordButEditsAsEmpty) {
    Show();
    RunAwkwardValues();
    const QModelIndex null = Grid().index(0, 7);
    const QModelIndex word = Grid().index(1, 7);
    EXPECT_EQ(null.data().toString(), "NULL");
    EXPECT_TRUE(null.data(velmora::query::NullRole).toBool());
    EXPECT_FALSE(word.data(velmora::query::NullRole).toBool());
    EXPECT_EQ(null.data(Qt::EditRole).toString(), "");

    // Painted in the palette's placeholder colour and italic; the text beside it is not.
    const QStyleOptionViewItem nullOption = CellStyle(*Window->DBGrid1, null);
    const QPalette palette = Window->DBGrid1->palette();
    EXPECT_TRUE(nullOption.font.italic());
    EXPECT_EQ(nullOption.palette.color(QPalette::Text), palette.color(QPalette::PlaceholderText));
    EXPECT_EQ(nullOption.palette.color(QPalette::Base), palette.color(QPalette::Base));
    const QStyleOptionViewItem wordOption = CellStyle(*Window->DBGrid1, word);
    EXPECT_FALSE(wordOption.font.italic());
    EXPECT_EQ(wordOption.palette.color(QPalette::Text), palette.color(QPalette::Text));
}

TEST_F(ResultText, ControlZeroPostsANullIntoAnEditableTable) {
    Show();
    TADOTable& table = ShowTable("customers");
    Window->DBGrid1->setFocus();
    Window->DBGrid1->setCurrentIndex(Grid().index(0, 2));
    ASSERT_FALSE(table.FieldByName("city").IsNull());
    // Typed into the cell's editor, then given way to the null.
    QTest::keyClicks(Window->DBGrid1, "O");
    QTest::keyClicks(QApplication::focusWidget(), "slo");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(table.State(), velmora::ado::dsEdit);
    EXPECT_EQ(Grid().index(0, 2).data().toString(), "NULL");
    Window->DBNavigator1->Button(TDBNavigator::nbPost)->click();
    EXPECT_TRUE(Dialogs.Messages.empty());
    Run("select count(*) from customers where city is null");
    EXPECT_EQ(ShownRow(0), "1");

    // A query's result cannot be changed: Ctrl+0 does missing there.
    Run("select name from customers order by customer_id");
    Window->DBGrid1->setCurrentIndex(Grid().index(0, 0));
    Press(Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(DataModule1->ADOQuery1.State(), velmora::ado::dsBrowse);
    EXPECT_NE(Grid().index(0, 0).data().toString(), "NULL");
}

} // namespace
