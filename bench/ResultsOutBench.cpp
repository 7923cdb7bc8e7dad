// Results leaving the program, each beside a plain way to do the same work in the same run.
//
// Export: "select * from big" (1,000,000 rows x 5 columns, or the number given as the argument)
// opened from SQLite, then written as CSV through File > Export Result's writer (quoting,
// pieces, a temporary file flushed to the disk and renamed over the target). The baseline writes
// the same cells' text with the separators, unquoted, through a 1 MB buffer into a plain file
// with no flush: the least any export must do. Wall clock, CPU and the peak memory each adds.
//
// History: a 10 MB script run 20 times into the history window (hidden, as it usually is). The
// baseline is making the entry's own text (the script as a QString), which any history holds.
// CPU per run and the memory the 20 runs keep. Never fails on the figures.
#include "Ado.h"
#include "BigTable.h"
#include "CpuClock.h"
#include "DelimitedText.h"
#include "Dialogs.h"
#include "ProcessMemory.h"
#include "SafeFile.h"
#include "untHistory.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>

using namespace velmora;
using Clock = std::chrono::steady_clock;

namespace {

struct TFigures {
    double Seconds = 0;
    double CpuSeconds = 0;
    size_t PeakBytes = 0;
};

template <typename Work>
TFigures Measure(Work&& work) {
    bench::resetPeakMemory();
    const size_t before = bench::residentBytes();
    const auto start = Clock::now();
    const double cpuStart = bench::processCpuSeconds();
    work();
    TFigures figures;
    figures.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.CpuSeconds = bench::processCpuSeconds() - cpuStart;
    figures.PeakBytes = bench::peakMemoryBytes() - before;
    return figures;
}

void PlainExport(const ado::TCustomADODataSet& DataSet, const std::string& Path) {
    std::FILE* file = std::fopen(Path.c_str(), "wb");
    std::string text;
    for (int row = 0; row < DataSet.RecordCount(); ++row) {
        for (int column = 0; column < DataSet.FieldCount(); ++column) {
            if (column > 0)
                text += ',';
            DataSet.AppendCellText(row, column, text);
        }
        text += "\r\n";
        if (text.size() >= (1 << 20)) {
            std::fwrite(text.data(), 1, text.size(), file);
            text.clear();
        }
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void Print(const char* What, const TFigures& Figures) {
    std::printf("%-52s %.3f s, CPU %.3f s, peak memory added %.1f MB\n", What, Figures.Seconds,
                Figures.CpuSeconds, static_cast<double>(Figures.PeakBytes) / 1e6);
}

void ExportFigures(long Rows) {
    const bench::TBigTable big(Rows);
    ado::TADOConnection connection;
    connection.SetConnectionString(big.ConnectionString());
    connection.Open();
    ado::TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL(bench::SelectAll);
    query.Open();
    const auto folder = std::filesystem::temp_directory_path() /
                        ("velmora-bench-export-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string exported = (folder / "export.csv").string();
    const std::string plain = (folder / "plain.csv").string();
    TFigures best{1e9, 1e9, 0};
    TFigures baseline{1e9, 1e9, 0};
    for (int round = 0; round < 3; ++round) {
        const TFigures ours = Measure([&] {
            files::WriteFileAtomicallyInPieces(
                exported,
                [&](const files::TFileSink& Write) {
                    const query::TShownCells cells(query);
                    query::WriteDelimited(cells, query::WholeResult(cells), {}, Write);
                },
                files::TNewFileMode::nfmShared);
        });
        const TFigures bare = Measure([&] { PlainExport(query, plain); });
        best = {std::min(best.Seconds, ours.Seconds), std::min(best.CpuSeconds, ours.CpuSeconds),
                std::max(best.PeakBytes, ours.PeakBytes)};
        baseline = {std::min(baseline.Seconds, bare.Seconds),
                    std::min(baseline.CpuSeconds, bare.CpuSeconds),
                    std::max(baseline.PeakBytes, bare.PeakBytes)};
    }
    std::printf("export of %d rows x %d columns, %.1f MB of CSV\n", query.RecordCount(),
                query.FieldCount(),
                static_cast<double>(std::filesystem::file_size(exported)) / 1e6);
    Print("baseline: plain unquoted write, no flush:", baseline);
    Print("Export Result (CSV, atomic, flushed):", best);
    std::printf("ratio export / plain write: %.2f by the clock, %.2f by CPU (target <= 2 s "
                "for 1,000,000 rows)\n",
                best.Seconds / baseline.Seconds, best.CpuSeconds / baseline.CpuSeconds);
    std::filesystem::remove_all(folder);
}

void HistoryFigures() {
    std::string script;
    for (int line = 0; script.size() < 10'000'000; ++line)
        script += "select " + std::to_string(line) + " as value, 'some text of a script' as t\r\n";
    TFileDialog dialog;
    TfrmHistory history(nullptr, dialog);
    constexpr int Runs = 20;
    malloc_trim(0);
    const size_t before = bench::residentBytes();
    const double cpuStart = bench::processCpuSeconds();
    for (int run = 0; run < Runs; ++run) {
        history.InsertAtTop("========================");
        history.InsertAtTop(QString::fromStdString(script));
    }
    const double perRun = (bench::processCpuSeconds() - cpuStart) / Runs;
    malloc_trim(0);
    const double keptPerRun = static_cast<double>(bench::residentBytes() - before) / Runs;
    const double textStart = bench::processCpuSeconds();
    for (int run = 0; run < Runs; ++run) {
        const QString text = QString::fromStdString(script);
        if (text.isEmpty())
            std::abort();
    }
    const double textPerRun = (bench::processCpuSeconds() - textStart) / Runs;
    std::printf("history: a %.1f MB script run %d times into the hidden window\n",
                static_cast<double>(script.size()) / 1e6, Runs);
    std::printf("baseline: making the entry's text: CPU %.1f ms a run; the entry's text %.1f MB\n",
                1000.0 * textPerRun, static_cast<double>(script.size() * 2) / 1e6);
    std::printf("into the history: CPU %.1f ms a run, %.1f ms over the baseline (target <= 50 "
                "ms); memory kept %.1f MB a run\n",
                1000.0 * perRun, 1000.0 * (perRun - textPerRun), keptPerRun / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    try {
        const long rows = argc > 1 ? std::atol(argv[1]) : bench::BigTableRows;
        ExportFigures(rows > 0 ? rows : bench::BigTableRows);
        HistoryFigures();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
