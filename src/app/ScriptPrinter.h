#pragma once
// Printing a script: one job, in its fixed-pitch font and colours, long lines wrapped, with a
// header of the title and "Page n of m" on every page, within the margins of the printer's page
// layout. The job goes in steps, so that the window can take its events between them: first the
// pages are counted, a share of the lines at a time, then each step prints one page.
#include "StyledScript.h"

#include <QFont>
#include <QPainter>
#include <QSizeF>
#include <QString>
#include <cstddef>

class QPrinter;

class TScriptPrinter {
public:
    TScriptPrinter(QPrinter& Printer, const TStyledScript& Script, const QString& Title);

    // Starts the job; false when the printer cannot be started.
    [[nodiscard]] bool Begin();
    enum class TStep { tsMore, tsDone, tsFailed };
    // Takes the next step; tsFailed when the printer refuses a new page.
    [[nodiscard]] TStep Step();
    // Ends the job after its last step; false when the printer reports an error.
    [[nodiscard]] bool End();
    // Ends the job where it is. True when the printer dropped what it had been sent; false when
    // it keeps it (not every printer can take a job back).
    bool Abort();

    // The pages once they are counted (0 before), and the pages printed so far.
    int Pages() const { return FPages; }
    int PagesPrinted() const { return FPage; }
    // How far the counting has come, of the lines there are.
    int LinesCounted() const { return FCountedLines; }
    int LineCount() const { return FScript.LineCount; }

private:
    // Rows of a line with Columns characters: an empty line takes one too.
    long long RowsOf(std::size_t Columns) const;
    void CountSomeLines();
    bool PrintPage();
    void StartPage();
    // The line the next row comes from, made ready; false when every line is printed.
    bool NextRowReady();
    // The characters of Line from column From that fit on one row, at row Row of the page.
    void PrintRow(const TStyledLine& Line, std::size_t From, int Row);
    void SetRunFont(const TStyledRun& Run);

    QPrinter& FPrinter;
    const TStyledScript& FScript;
    QString FTitle;
    QPainter FPainter;
    QFont FFont;
    QFont FRunFont;
    qreal FAdvance = 0;
    qreal FLineHeight = 0;
    qreal FAscent = 0;
    QSizeF FPaper; // the area inside the margins
    qreal FTextTop = 0;
    std::size_t FColumns = 1;
    int FRowsPerPage = 1;

    int FCountedLines = 0;
    long long FRows = 0;
    int FPages = 0;
    int FPage = 0;
    // The line that is being printed, its rows, and the next of them.
    int FLine = -1;
    TStyledLine FLineRuns;
    long long FLineRows = 0;
    long long FNextRow = 0;
};
