// Printing a long script into a PDF file through File > Print, beside the plainest prints of the
// same rows, measured in the same run.
//
// The real main window holds a script of 200,000 lines (10 MB; the first argument gives another
// count: 1,300,000 lines make 64 MB). File > Print prints it into a PDF file: the pages are
// counted, then printed one at a time in the editor's colours, the window taking its events in
// between, and the file is checked and moved into place. A timer that ticks every 10 ms while
// the job runs tells how long the window went without taking its events.
// Baselines, on a PDF printer of the same page layout, straight from lists made before the clock
// starts: the same rows in one font and one colour, one drawText per row (what any print of
// these pages costs at the least); and the same rows in the editor's colours, one drawText per
// stretch of one colour (what the colours cost at the least). Every line of the script fits on
// one row. Processor time of the thread that prints. Never fails on the figures.
#include "BenchSupport.h"
#include "ScriptEditor.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "untMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

struct TPiece {
    QString Text;
    QColor Color;
    int Column;
};
using TRow = std::vector<TPiece>;

void SetUpPage(QPrinter& Printer) {
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setPageSize(QPageSize(QPageSize::A4));
    Printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
}

QString Expanded(const std::u32string& Text) {
    QString shown;
    for (char32_t c : Text)
        shown += c == U'\t' ? QString(8 - shown.size() % 8, ' ') : QString::fromUcs4(&c, 1);
    return shown;
}

// Each line as one row in one colour.
std::vector<TRow> PlainRows(const TStyledScript& Script) {
    std::vector<TRow> rows;
    for (int i = 0; i < Script.LineCount; ++i)
        rows.push_back({{Expanded(Script.Text(i)), Qt::black, 0}});
    return rows;
}

// Each line as one row of stretches of one colour.
std::vector<TRow> ColouredRows(const TStyledScript& Script) {
    std::vector<TRow> rows;
    for (int i = 0; i < Script.LineCount; ++i) {
        TRow row;
        std::u32string line;
        for (const TStyledRun& run : Script.Line(i)) {
            if (row.empty() || row.back().Color != run.Color)
                row.push_back({{}, run.Color, static_cast<int>(Expanded(line).size())});
            line += run.Text;
            row.back().Text = Expanded(line).mid(row.back().Column);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

double PrintRows(const std::vector<TRow>& Rows, const QFont& ScreenFont, const QString& File) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPage(printer);
    printer.setOutputFileName(File);
    QPainter painter(&printer);
    QFont font = ScreenFont;
    font.setPointSizeF(ScreenFont.pixelSize() * 72.0 / 96.0);
    font = QFont(font, painter.device());
    const QFontMetricsF metrics(font, painter.device());
    const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const qreal advance = metrics.horizontalAdvance('M');
    const int rowsPerPage = static_cast<int>(page.height() / metrics.lineSpacing()) - 2;
    painter.setFont(font);
    const double start = bench::ThreadMicroseconds();
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        const int row = static_cast<int>(i % static_cast<std::size_t>(rowsPerPage));
        if (row == 0 && i > 0)
            printer.newPage();
        const qreal baseline = (row + 2) * metrics.lineSpacing() + metrics.ascent();
        for (const TPiece& piece : Rows[i]) {
            painter.setPen(piece.Color);
            painter.drawText(QPointF(piece.Column * advance, baseline), piece.Text);
        }
    }
    painter.end();
    return bench::ThreadMicroseconds() - start;
}

long long SizeOf(const QString& File) {
    return static_cast<long long>(QFileInfo(File).size());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    TScriptedDialogs dialogs;
    QTemporaryDir folder;

    const std::u32string script = bench::GenerateScript(lines);
    TfrmMain window;
    window.SourceEdit1->SetCharacters(script);
    SetUpPage(window.PrintDialog1.Printer());
    const QString pdf = folder.filePath("script.pdf");
    dialogs.PrintAnswers.push_back(pdf);

    double longestGap = 0;
    auto last = bench::Clock::now();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = bench::Clock::now();
        longestGap = std::max(longestGap, bench::Microseconds(now - last));
        last = now;
    });
    const double start = bench::ThreadMicroseconds();
    last = bench::Clock::now();
    tick.start(10);
    window.Print1->trigger();
    tick.stop();
    const double ours = bench::ThreadMicroseconds() - start;

    const TStyledScript styled = window.SourceEdit1->StyledScript();
    const QString plainPdf = folder.filePath("plain.pdf");
    const QString colouredPdf = folder.filePath("coloured.pdf");
    const double plain = PrintRows(PlainRows(styled), styled.Font, plainPdf);
    const double coloured = PrintRows(ColouredRows(styled), styled.Font, colouredPdf);
    std::printf("script: %d lines, %.1f MB; status: %s\n", lines,
                static_cast<double>(script.size()) / 1e6,
                window.StatusBar1->PanelText(3).toUtf8().constData());
    std::printf("processor time of the printing thread, size of the file\n");
    std::printf(
        "File > Print to PDF:       %7.2f s %11lld bytes; longest wait for events %.0f ms\n",
        ours / 1e6, SizeOf(pdf), longestGap / 1e3);
    std::printf("baseline, plain rows:      %7.2f s %11lld bytes\n", plain / 1e6, SizeOf(plainPdf));
    std::printf("baseline, rows in colour:  %7.2f s %11lld bytes\n", coloured / 1e6,
                SizeOf(colouredPdf));
    return 0;
}
