// Filling the schema browser for a database of 20,000 tables (the argument changes the number),
// on SQLite and on SQL Server's protocol (FreeTDS against a TDS test server that the benchmark
// starts), offscreen.
//
// Ours: the main window's FillDatabases, as a connection runs it (the database list, the
// current database's tables opened and expanded, its procedures), until the tables tree has
// painted. Baseline: the same catalogue reads through the same data layer, then the same nodes
// (text, tooltip, icon) built straight into plain QTreeWidgets of the same size, the database
// node expanded as the screen needs it and nothing else, until the tree has painted. Figures
// are the process's CPU milliseconds per 100 tables (the TDS server is another process: its time
// is in neither), the better of three alternating runs each. Never fails on the figures.
#include "Ado.h"
#include "CpuClock.h"
#include "ImageList.h"
#include "SchemaCatalog.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "TdsServer.h"
#include "untDataModule1.h"
#include "untMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

using namespace velmora;
using Clock = bench::CpuClock;

namespace {

int Tables = 20'000;

// "create table t0(id int); ..." for every table.
std::string CreateTables() {
    std::string script;
    for (int i = 0; i < Tables; ++i)
        script += "create table t" + std::to_string(i) + "(id int);\n";
    return script;
}

// Notes when the watched widget next paints.
class TPaintWatch final : public QObject {
public:
    explicit TPaintWatch(QWidget* Widget) { Widget->installEventFilter(this); }
    bool Painted = false;

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        if (Event->type() == QEvent::Paint)
            Painted = true;
        return false;
    }
};

// Runs the events until the tree has painted; a tree that does not paint within a minute
// fails the run.
void UntilPainted(TPaintWatch& Watch) {
    QElapsedTimer waited;
    waited.start();
    while (!Watch.Painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (waited.elapsed() > 60'000)
            throw std::runtime_error("the tree did not paint");
    }
}

double MillisecondsSince(Clock::time_point Start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - Start).count();
}

double Ours(TfrmMain& Window) {
    Window.tvTablesViews->clear();
    QCoreApplication::processEvents();
    TPaintWatch watch(Window.tvTablesViews->viewport());
    const auto start = Clock::now();
    Window.FillDatabases();
    UntilPainted(watch);
    const double milliseconds = MillisecondsSince(start);
    const QTreeWidgetItem* opened = Window.tvTablesViews->currentItem();
    if (opened == nullptr || opened->childCount() < Tables)
        throw std::runtime_error("the browser does not show every table");
    return milliseconds;
}

QList<QTreeWidgetItem*> PlainNodes(const std::vector<std::string>& Texts, int Image) {
    const QIcon icon = ImageList1(Image);
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(static_cast<qsizetype>(Texts.size()));
    for (const std::string& text : Texts) {
        const QString shown = QString::fromStdString(text);
        auto* node = new QTreeWidgetItem(QStringList{shown});
        node->setToolTip(0, shown);
        node->setIcon(0, icon);
        nodes << node;
    }
    return nodes;
}

double Baseline(ado::TADOConnection& Connection, ado::TADOQuery& Query, QTreeWidget& TablesTree,
                QTreeWidget& ProceduresTree) {
    TablesTree.clear();
    ProceduresTree.clear();
    QCoreApplication::processEvents();
    TPaintWatch watch(TablesTree.viewport());
    const auto start = Clock::now();
    const std::string current = Connection.DefaultDatabase();
    Connection.SetDefaultDatabase("master");
    const std::vector<std::string> databases = schema::ReadDatabaseNames(Query);
    Connection.SetDefaultDatabase(current);
    TablesTree.addTopLevelItems(PlainNodes(databases, DatabaseImage));
    QTreeWidgetItem* database =
        TablesTree.topLevelItem(schema::CurrentDatabasePosition(databases, current));
    database->addChildren(PlainNodes(schema::ReadTableNames(Connection), TableImage));
    ProceduresTree.addTopLevelItems(
        PlainNodes(schema::ReadProcedureNames(Connection), ProcedureImage));
    TablesTree.setCurrentItem(database);
    database->setExpanded(true);
    UntilPainted(watch);
    return MillisecondsSince(start);
}

struct TFigures {
    double Ours = 1e300;
    double Baseline = 1e300;
};

TFigures Measure(const std::string& ConnectionString) {
    TScriptedDialogs dialogs; // an error box fails the run instead of waiting for a user
    TfrmMain window;
    window.resize(1200, 800);
    window.show();
    QCoreApplication::processEvents();
    window.OpenConnection(QString::fromStdString(ConnectionString), false);
    if (window.StatusBar1->PanelText(0) != "Connected")
        throw std::runtime_error("cannot connect: " +
                                 window.StatusBar1->PanelText(1).toStdString());

    QWidget plain;
    plain.resize(window.tvTablesViews->size());
    QTreeWidget tablesTree(&plain);
    tablesTree.resize(window.tvTablesViews->size());
    QTreeWidget proceduresTree;
    plain.show();
    ado::TADOQuery query;
    query.SetConnection(&DataModule1->ADOConnection1);

    TFigures figures;
    for (int round = 0; round < 3; ++round) {
        figures.Ours = std::min(figures.Ours, Ours(window));
        figures.Baseline = std::min(figures.Baseline, Baseline(DataModule1->ADOConnection1, query,
                                                               tablesTree, proceduresTree));
    }
    return figures;
}

void Print(const char* Engine, const TFigures& Figures) {
    const double per100 = 100.0 / Tables;
    std::printf("%s, %d tables:\n", Engine, Tables);
    std::printf("  ours (FillDatabases until painted):          %8.1f ms, %.3f ms per 100 tables\n",
                Figures.Ours, Figures.Ours * per100);
    std::printf(
        "  baseline (same reads, plain nodes, 1 expand): %8.1f ms, %.3f ms per 100 tables\n",
        Figures.Baseline, Figures.Baseline * per100);
}

std::string SqliteDatabase(const std::filesystem::path& Path) {
    const std::string connectionString =
        "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"Driver=SQLite3;"
        "Database=" +
        Path.string() + "\"";
    ado::TADOConnection maker;
    maker.SetConnectionString(connectionString);
    maker.Open();
    maker.Execute("begin; create view sysdatabases as select name as Name from "
                  "pragma_database_list; " +
                  CreateTables() + "commit;");
    return connectionString;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1)
        Tables = std::max(1, std::atoi(argv[1]));
    try {
        const std::filesystem::path sqlite = std::filesystem::temp_directory_path() /
                                             ("schema-fill-" + std::to_string(getpid()) + ".db");
        std::filesystem::remove(sqlite);
        const TFigures onSqlite = Measure(SqliteDatabase(sqlite));
        std::filesystem::remove(sqlite);
        Print("SQLite", onSqlite);

        setenv("VELMORA_TDS_SERVER", VELMORA_TDS_SERVER_PROGRAM, 0);
        test::TTdsServerProcess server;
        const std::string tds =
            test::tdsConnectionString(server.Port(), "sa", test::tdsSaPassword, "sample");
        {
            ado::TADOConnection maker;
            maker.SetConnectionString(tds);
            maker.Open();
            maker.Execute("begin transaction;\n" + CreateTables() + "commit;");
        }
        Print("TDS test server through FreeTDS", Measure(tds));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "schema_fill_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
