#include "ScriptPrinter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// A pixel on the screen is 1/96 inch: on paper the script gets the size it has on the screen.
QFont PaperFont(QFont Font) {
    if (Font.pixelSize() > 0)
        Font.setPointSizeF(Font.pixelSize() * 72.0 / 96.0);
    return Font;
}

TStyledLine WithTabsExpanded(TStyledLine Line, int TabSize) {
    const std::size_t tab = static_cast<std::size_t>(std::max(TabSize, 1));
    std::size_t column = 0;
    for (TStyledRun& run : Line) {
        std::u32string shown;
        shown.reserve(run.Text.size());
        for (char32_t c : run.Text) {
            const std::size_t width = c == U'\t' ? tab - column % tab : 1;
            shown.append(width, c == U'\t' ? U' ' : c);
            column += width;
        }
        run.Text = std::move(shown);
    }
    return Line;
}

std::size_t ColumnsOf(const TStyledLine& Line) {
    std::size_t columns = 0;
    for (const TStyledRun& run : Line)
        columns += run.Text.size();
    return columns;
}

[[noreturn]] void PrintingFailed(const QPrinter& Printer) {
    const QString where = Printer.outputFileName().isEmpty()
                              ? QString("on \"%1\"").arg(Printer.printerName())
                              : QString("to file \"%1\"").arg(Printer.outputFileName());
    throw std::runtime_error(QString("Cannot print %1.").arg(where).toStdString());
}

class TScriptPrinter {
public:
    TScriptPrinter(QPrinter& Printer, const TStyledScript& Script, const QString& Title);
    void Print();

private:
    // Rows of a line with Columns characters: an empty line takes one too.
    int RowsOf(std::size_t Columns) const {
        return std::max(1, static_cast<int>((Columns + FColumns - 1) / FColumns));
    }
    TStyledLine LineAt(int Index) const {
        return WithTabsExpanded(FScript.Line(Index), FScript.TabSize);
    }
    int CountPages() const;
    void StartPage(int Page, int Pages);
    // The characters of Line from column From that fit on one row, at row Row of the page.
    void PrintRow(const TStyledLine& Line, std::size_t From, int Row);

    QPrinter& FPrinter;
    const TStyledScript& FScript;
    QString FTitle;
    QPainter FPainter;
    QFont FFont;
    qreal FAdvance = 0;
    qreal FLineHeight = 0;
    qreal FAscent = 0;
    QSizeF FPage;
    qreal FTextTop = 0;
    std::size_t FColumns = 1;
    int FRowsPerPage = 1;
};

TScriptPrinter::TScriptPrinter(QPrinter& Printer, const TStyledScript& Script, const QString& Title)
    : FPrinter(Printer), FScript(Script), FTitle(Title) {}

void TScriptPrinter::Print() {
    if (!FPainter.begin(&FPrinter))
        PrintingFailed(FPrinter);
    // Measured on the printer: its resolution is not the screen's.
    FFont = QFont(PaperFont(FScript.Font), FPainter.device());
    const QFontMetricsF metrics(FFont, FPainter.device());
    FAdvance = metrics.horizontalAdvance(QChar('M'));
    FLineHeight = metrics.lineSpacing();
    FAscent = metrics.ascent();
    // Drawing starts at the top left corner inside the page layout's margins.
    FPage = FPrinter.pageLayout().paintRectPixels(FPrinter.resolution()).size();
    FTextTop = 2 * FLineHeight; // the header, and a line's height with a rule below it
    FColumns = std::max<std::size_t>(1, static_cast<std::size_t>(FPage.width() / FAdvance));
    FRowsPerPage = std::max(1, static_cast<int>((FPage.height() - FTextTop) / FLineHeight));

    const int pages = CountPages();
    int page = 1;
    int row = 0;
    StartPage(page, pages);
    for (int i = 0; i < FScript.LineCount; ++i) {
        const TStyledLine line = LineAt(i);
        const int rows = RowsOf(ColumnsOf(line));
        for (int r = 0; r < rows; ++r) {
            if (row == FRowsPerPage) {
                if (!FPrinter.newPage())
                    PrintingFailed(FPrinter);
                StartPage(++page, pages);
                row = 0;
            }
            PrintRow(line, static_cast<std::size_t>(r) * FColumns, row++);
        }
    }
    if (!FPainter.end() || FPrinter.printerState() == QPrinter::Error)
        PrintingFailed(FPrinter);
}

int TScriptPrinter::CountPages() const {
    long long rows = 0;
    for (int i = 0; i < FScript.LineCount; ++i)
        rows += RowsOf(ColumnsOf(LineAt(i)));
    return std::max(1, static_cast<int>((rows + FRowsPerPage - 1) / FRowsPerPage));
}

void TScriptPrinter::StartPage(int Page, int Pages) {
    const QString pageText = QString("Page %1 of %2").arg(Page).arg(Pages);
    const QFontMetricsF metrics(FFont, FPainter.device());
    const qreal pageTextWidth = metrics.horizontalAdvance(pageText);
    const QString title =
        metrics.elidedText(FTitle, Qt::ElideMiddle, FPage.width() - pageTextWidth - 2 * FAdvance);
    FPainter.setFont(FFont);
    FPainter.setPen(Qt::black);
    FPainter.drawText(QPointF(0, FAscent), title);
    FPainter.drawText(QPointF(FPage.width() - pageTextWidth, FAscent), pageText);
    const qreal rule = 1.5 * FLineHeight;
    FPainter.drawLine(QPointF(0, rule), QPointF(FPage.width(), rule));
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
            QFont font = FFont;
            font.setBold(run.Bold);
            font.setItalic(run.Italic);
            FPainter.setFont(font);
            FPainter.setPen(run.Color);
            FPainter.drawText(QPointF(static_cast<qreal>(first - From) * FAdvance, baseline),
                              QString::fromUcs4(run.Text.data() + (first - start),
                                                static_cast<qsizetype>(last - first)));
        }
        start = end;
    }
}

} // namespace

void PrintScript(QPrinter& Printer, const TStyledScript& Script, const QString& Title) {
    TScriptPrinter(Printer, Script, Title).Print();
}
