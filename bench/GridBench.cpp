// A large result through ExecuteScript into the result grid, offscreen, against the data
// layer's own open of the same rows in the same run.
//
// Runs "select * from big" (1,000,000 rows x 5 columns) through the main window's ExecuteScript
// and measures the time until the grid paints rows of the result (the first paint whose model
// holds rows: the grid is emptied before each run), the memory the run adds, and
// the time of jumps through the result with the scroll bar. The baseline is TADOQuery.Open of
// the same statement: the grid should add at most 10 % to its time and 5 % to its memory.
// Times are the process's CPU seconds. Never fails on the figures.
#include "Ado.h"
#include "BigTable.h"
#include "CpuClock.h"
#include "DBGrid.h"
#include "DataSetTableModel.h"
#include "ScriptedDialogs.h"
#include "untDataModule1.h"
#include "untMain.h"

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <stdexcept>

using namespace velmora;
using Clock = bench::CpuClock;

namespace {

double SecondsSince(Clock::time_point Start) {
    return std::chrono::duration<double>(Clock::now() - Start).count();
}

// Bytes the program holds from the heap, mapped blocks included.
double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

struct TFigures {
    double Seconds = 0;
    double FirstPaint = 0;
    double Memory = 0;
};

TFigures ThroughTheLayer(ado::TADOConnection& Connection) {
    malloc_trim(0);
    const double before = HeapInUse();
    ado::TADOQuery query;
    query.SetConnection(&Connection);
    query.SetSQL(bench::SelectAll);
    const auto start = Clock::now();
    query.Open();
    TFigures figures;
    figures.Seconds = SecondsSince(start);
    figures.Memory = HeapInUse() - before;
    return figures;
}

// Notes the first paint of the grid that shows rows.
class TPaintWatch final : public QObject {
public:
    explicit TPaintWatch(TDBGrid* Grid) : FGrid(Grid) {
        Grid->viewport()->installEventFilter(this);
    }
    std::optional<Clock::time_point> Painted;

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        if (Event->type() == QEvent::Paint && !Painted && FGrid->Model()->rowCount() > 0)
            Painted = Clock::now();
        return false;
    }

private:
    TDBGrid* FGrid;
};

TFigures ThroughTheGrid(TfrmMain& Window) {
    DataModule1->ADOQuery1.Close(); // the previous run's rows go before the count starts
    QCoreApplication::processEvents();
    if (Window.DBGrid1->Model()->rowCount() != 0)
        throw std::runtime_error("the grid still shows rows before the run");
    malloc_trim(0);
    const double before = HeapInUse();
    TPaintWatch watch(Window.DBGrid1);
    const auto start = Clock::now();
    Window.ExecuteScript(bench::SelectAll);
    while (!watch.Painted)
        QCoreApplication::processEvents();
    TFigures figures;
    figures.FirstPaint = std::chrono::duration<double>(*watch.Painted - start).count();
    QCoreApplication::processEvents();
    figures.Seconds = SecondsSince(start);
    figures.Memory = HeapInUse() - before;
    return figures;
}

// Jumps with the scroll bar to Count places spread over the result, repainting each time.
double SecondsPerJump(TfrmMain& Window, int Count) {
    QScrollBar* bar = Window.DBGrid1->verticalScrollBar();
    const auto start = Clock::now();
    for (int i = 0; i < Count; ++i) {
        bar->setValue(
            static_cast<int>(static_cast<long>(bar->maximum()) * (i * 7919 % Count) / Count));
        Window.DBGrid1->viewport()->repaint();
    }
    return SecondsSince(start) / Count;
}

double Percent(double Value, double Baseline) {
    return 100.0 * (Value - Baseline) / Baseline;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        const bench::TBigTable big;
        TScriptedDialogs dialogs; // an error box fails the run instead of waiting for a user
        TfrmMain window;
        window.resize(1200, 800);
        window.show();
        QCoreApplication::processEvents();
        window.OpenConnection(QString::fromStdString(big.ConnectionString()), false);
        ado::TADOConnection& connection = DataModule1->ADOConnection1;

        // A first open warms the engine's page cache; then each way three times, alternating,
        // and the best of each counts.
        ThroughTheLayer(connection);
        TFigures layer = ThroughTheLayer(connection);
        TFigures grid = ThroughTheGrid(window);
        for (int round = 1; round < 3; ++round) {
            const TFigures layerAgain = ThroughTheLayer(connection);
            const TFigures gridAgain = ThroughTheGrid(window);
            layer.Seconds = std::min(layer.Seconds, layerAgain.Seconds);
            grid.Seconds = std::min(grid.Seconds, gridAgain.Seconds);
            grid.FirstPaint = std::min(grid.FirstPaint, gridAgain.FirstPaint);
        }

        const int rows = window.DBGrid1->Model()->RowTotal();
        std::printf("rows: %d, 5 columns; the grid's model holds %d of them\n", rows,
                    window.DBGrid1->Model()->rowCount());
        std::printf("data layer (TADOQuery.Open):          %.3f s CPU, %.1f MB\n", layer.Seconds,
                    layer.Memory / 1e6);
        std::printf("ExecuteScript into the grid: first painted rows %.3f s, total %.3f s, "
                    "%.1f MB\n",
                    grid.FirstPaint, grid.Seconds, grid.Memory / 1e6);
        std::printf("the grid adds %+.1f %% time to first rows, %+.1f %% total (target <= 10 %%), "
                    "%+.1f %% memory (target <= 5 %%)\n",
                    Percent(grid.FirstPaint, layer.Seconds), Percent(grid.Seconds, layer.Seconds),
                    Percent(grid.Memory, layer.Memory));
        std::printf("scroll bar jumps across the result: %.2f ms each, repaint included\n",
                    1000.0 * SecondsPerJump(window, 200));
        if (!dialogs.Messages.empty()) {
            std::fprintf(stderr, "benchmark failed: %s\n",
                         dialogs.Messages.front().Text.toUtf8().constData());
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
