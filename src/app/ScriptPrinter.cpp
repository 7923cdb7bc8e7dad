#include "ScriptPrinter.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <algorithm>

namespace {

// The lines counted in one step: a step takes a few milliseconds of a long script.
constexpr int LinesPerCountingStep = 20000;

// A pixel on the screen is 1/96 inch: on paper the script gets the size it has on the screen.
QFont PaperFont(QFont Font) {
    if (Font.pixelSize() > 0)
        Font.setPointSizeF(Font.pixelSize() * 72.0 / 96.0);
    return Font;
}

std::size_t TabWidth(int TabSize) {
    return static_cast<std::size_t>(std::max(TabSize, 1));
}

// The columns up to and including C, when Column columns lie before it.
std::size_t NextColumn(std::size_t Column, char32_t C, std::size_t Tab) {
    return C == U'\t' ? Column + Tab - Column % Tab : Column + 1;
}

std::size_t ColumnsOf(std::u32string_view Text, int TabSize) {
    const std::size_t tab = TabWidth(TabSize);
    std::size_t column = 0;
    for (char32_t c : Text)
        column = NextColumn(column, c, tab);
    return column;
}

bool SameStyle(const TStyledRun& A, const TStyledRun& B) {
    return A.Color == B.Color && A.Bold == B.Bold && A.Italic == B.Italic;
}

// The runs of a line as they are drawn: tabs expanded to spaces, and neighbours of the same
// style joined, since every piece of text drawn costs the printer far more than its characters.
TStyledLine AsDrawn(const TStyledLine& Line, int TabSize) {
    const std::size_t tab = TabWidth(TabSize);
    TStyledLine drawn;
    std::size_t column = 0;
    for (const TStyledRun& run : Line) {
        if (run.Text.empty())
            continue;
        if (drawn.empty() || !SameStyle(drawn.back(), run))
            drawn.push_back({{}, run.Color, run.Bold, run.Italic});
        std::u32string& text = drawn.back().Text;
        for (char32_t c : run.Text) {
            const std::size_t next = NextColumn(column, c, tab);
            text.append(next - column, c == U'\t' ? U' ' : c);
            column = next;
        }
    }
    return drawn;
}

std::size_t ColumnsOf(const TStyledLine& Line) {
    std::size_t columns = 0;
    for (const TStyledRun& run : Line)
        columns += run.Text.size();
    return columns;
}

} // namespace

TScriptPrinter::TScriptPrinter(QPrinter& Printer, const TStyledScript& Script, const QString& Title)
    : FPrinter(Printer), FScript(Script), FTitle(Title) {}

bool TScriptPrinter::Begin() {
    if (!FPainter.begin(&FPrinter))
        return false;
    // Measured on the printer: its resolution is not the screen's.
    FFont = QFont(PaperFont(FScript.Font), FPainter.device());
    const QFontMetricsF metrics(FFont, FPainter.device());
    FAdvance = metrics.horizontalAdvance(QChar('M'));
    FLineHeight = metrics.lineSpacing();
    FAscent = metrics.ascent();
    // Drawing starts at the top left corner inside the page layout's margins.
    FPaper = FPrinter.pageLayout().paintRectPixels(FPrinter.resolution()).size();
    FTextTop = 2 * FLineHeight; // the header, and a line's height with a rule below it
    FColumns = std::max<std::size_t>(1, static_cast<std::size_t>(FPaper.width() / FAdvance));
    FRowsPerPage = std::max(1, static_cast<int>((FPaper.height() - FTextTop) / FLineHeight));
    return true;
}

TScriptPrinter::TStep TScriptPrinter::Step() {
    if (FCountedLines < FScript.LineCount) {
        CountSomeLines();
        return TStep::tsMore;
    }
    if (FPages == 0)
        FPages = static_cast<int>(std::max(1LL, (FRows + FRowsPerPage - 1) / FRowsPerPage));
    if (!PrintPage())
        return TStep::tsFailed;
    return FPage < FPages ? TStep::tsMore : TStep::tsDone;
}

bool TScriptPrinter::End() {
    return FPainter.end() && FPrinter.printerState() != QPrinter::Error;
}

bool TScriptPrinter::Abort() {
    const bool dropped = FPrinter.abort();
    if (FPainter.isActive())
        FPainter.end();
    return dropped;
}

long long TScriptPrinter::RowsOf(std::size_t Columns) const {
    return std::max(1LL, static_cast<long long>((Columns + FColumns - 1) / FColumns));
}

// Only the characters count: the colours are taken for the lines as they are printed.
void TScriptPrinter::CountSomeLines() {
    const int end =
        FCountedLines + std::min(FScript.LineCount - FCountedLines, LinesPerCountingStep);
    for (; FCountedLines < end; ++FCountedLines)
        FRows += RowsOf(ColumnsOf(FScript.Text(FCountedLines), FScript.TabSize));
}

bool TScriptPrinter::PrintPage() {
    if (FPage > 0 && !FPrinter.newPage())
        return false;
    ++FPage;
    StartPage();
    for (int row = 0; row < FRowsPerPage && NextRowReady(); ++row)
        PrintRow(FLineRuns, static_cast<std::size_t>(FNextRow++) * FColumns, row);
    return true;
}

bool TScriptPrinter::NextRowReady() {
    while (FNextRow == FLineRows) {
        if (FLine + 1 >= FScript.LineCount)
            return false;
        ++FLine;
        FLineRuns = AsDrawn(FScript.Line(FLine), FScript.TabSize);
        FLineRows = RowsOf(ColumnsOf(FLineRuns));
        FNextRow = 0;
    }
    return true;
}

void TScriptPrinter::StartPage() {
    const QString pageText = QString("Page %1 of %2").arg(FPage).arg(FPages);
    const QFontMetricsF metrics(FFont, FPainter.device());
    const qreal pageTextWidth = metrics.horizontalAdvance(pageText);
    const QString title =
        metrics.elidedText(FTitle, Qt::ElideMiddle, FPaper.width() - pageTextWidth - 2 * FAdvance);
    FPainter.setFont(FFont);
    FRunFont = FFont;
    FPainter.setPen(Qt::black);
    FPainter.drawText(QPointF(0, FAscent), title);
    FPainter.drawText(QPointF(FPaper.width() - pageTextWidth, FAscent), pageText);
    const qreal rule = 1.5 * FLineHeight;
    FPainter.drawLine(QPointF(0, rule), QPointF(FPaper.width(), rule));
}

void TScriptPrinter::PrintRow(const TStyledLine& Line, std::size_t From, int Row) {
    const std::size_t to = From + FColumns;
    const qreal baseline = FTextTop + Row * FLineHeight + FAscent;
    std::size_t start = 0;
    for (const TStyledRun& run : Line) {
        const std::size_t end = start + run.Text.size();
        const std::size_t first = std::max(start, From);
        const std::size_t last = std::min(end, to);
        if (first < last) {
            SetRunFont(run);
            FPainter.drawText(QPointF(static_cast<qreal>(first - From) * FAdvance, baseline),
                              QString::fromUcs4(run.Text.data() + (first - start),
                                                static_cast<qsizetype>(last - first)));
        }
        if (end >= to)
            break;
        start = end;
    }
}

// The painter's font changes only when a run's style differs from the one before.
void TScriptPrinter::SetRunFont(const TStyledRun& Run) {
    if (FRunFont.bold() != Run.Bold || FRunFont.italic() != Run.Italic) {
        FRunFont.setBold(Run.Bold);
        FRunFont.setItalic(Run.Italic);
        FPainter.setFont(FRunFont);
    }
    if (FPainter.pen().color() != Run.Color)
        FPainter.setPen(Run.Color);
}
