// The schema browser on a database of thousands of tables: showing them must cost the window no
// more than building their nodes, so the rows the tree measures to lay itself out do not grow
// with the number of tables.
#include "AdoTestSupport.h"
#include "BrowserTestSupport.h"
#include "DemoWorkspace.h"
#include "StatusBar.h"
#include "untDataModule1.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyledItemDelegate>

using namespace velmora;

namespace {

// Passes drawing and measuring on to the tree's own delegate, counting the rows measured.
class TMeasureCounter final : public QStyledItemDelegate {
public:
    TMeasureCounter(QAbstractItemDelegate* Inner, QObject* Parent)
        : QStyledItemDelegate(Parent), FInner(Inner) {}

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        ++Measured;
        return FInner->sizeHint(Option, Index);
    }
    QAbstractItemDelegate* Inner() const { return FInner; }
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override {
        FInner->paint(Painter, Option, Index);
    }

    mutable long Measured = 0;

private:
    QAbstractItemDelegate* FInner;
};

class BigSchema : public BrowserTest {
protected:
    void SetUp() override {
        VELMORA_REQUIRE(test::odbcDriverInstalled("SQLite3"), "the SQLite3 ODBC driver");
        BrowserTest::SetUp();
    }

    // A database of `Tables` tables whose server lists only itself.
    std::string DatabaseOfTables(int Tables, const std::string& LastTable = "") {
        const std::string path =
            Workspace.FilePath(QString("tables%1.db").arg(Tables)).toStdString();
        ado::TADOConnection maker;
        maker.SetConnectionString(test::sqliteConnectionString(path));
        maker.Open();
        std::string script = "begin; create view sysdatabases as select name as Name from "
                             "pragma_database_list;";
        for (int i = 0; i < Tables; ++i)
            script += " create table t" + std::to_string(i) + "(id int);";
        if (!LastTable.empty())
            script += " create table " + LastTable + "(id int);";
        maker.Execute(script + " commit;");
        return test::sqliteConnectionString(path);
    }

    // The rows the tables tree measures while a connection opens the database and shows it.
    long RowsMeasuredToShow(const std::string& ConnectionString, int Tables) {
        // A window of its own each time, so that nothing shown before counts.
        Window.reset();
        Window = std::make_unique<TfrmMain>();
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        QTreeWidget* tree = Window->tvTablesViews;
        auto* counter = new TMeasureCounter(tree->itemDelegate(), tree);
        tree->setItemDelegate(counter);
        Window->OpenConnection(QString::fromStdString(ConnectionString), false);
        EXPECT_EQ(Window->StatusBar1->PanelText(0), "Connected")
            << Window->StatusBar1->PanelText(1).toStdString();
        QTest::qWait(50); // the layouts the fill has posted, and the paint
        EXPECT_EQ(tree->topLevelItem(0)->childCount(), Tables);
        EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
        tree->setItemDelegate(counter->Inner());
        return counter->Measured;
    }

    TDemoWorkspace Workspace;
};

} // namespace

TEST_F(BigSchema, ShowingThreeTimesTheTablesMeasuresNoMoreRows) {
    // Both beyond the thousand rows a tree samples to size its column to its texts.
    const std::string some = DatabaseOfTables(2000);
    const std::string many = DatabaseOfTables(6000);
    const long forSome = RowsMeasuredToShow(some, 2000);
    const long forMany = RowsMeasuredToShow(many, 6000);
    EXPECT_GT(forSome, 0);
    // Laying out a view measures what it shows and a fixed sample of rows; measuring every row,
    // or laying out once per table, grows with the tables.
    EXPECT_LT(forMany, forSome * 3 / 2) << forSome << " rows measured for 2000 tables";
}

TEST_F(BigSchema, ALongNameFarDownIsWholeOnceScrolledIntoView) {
    const std::string longName = "zz_a_table_whose_name_is_far_too_long_for_the_browser_pane";
    Window->OpenConnection(QString::fromStdString(DatabaseOfTables(3000, longName)), false);
    QTreeWidget* tree = Window->tvTablesViews;
    QTreeWidgetItem* node = Node(tree, QString::fromStdString(longName));
    ASSERT_NE(node, nullptr);
    QCoreApplication::processEvents();
    const int needed = tree->fontMetrics().horizontalAdvance(node->text(0));
    tree->verticalScrollBar()->setValue(tree->verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    ASSERT_TRUE(tree->viewport()->rect().intersects(tree->visualItemRect(node)));
    EXPECT_GE(tree->columnWidth(0), needed);
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
}
