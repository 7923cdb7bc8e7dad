#pragma once
// Cells of a result as delimited text: CSV as RFC 4180 writes it (a cell holding the separator,
// a quote or a line break is quoted, its quotes doubled; UTF-8; records end with CR LF), or the
// same with tabs, as spreadsheets read it from the clipboard. A null writes nothing. Rows go out
// in pieces, so a result of any size needs little memory.
#include "ShownCells.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::query {

struct TDelimitedFormat {
    char Separator = ',';
    std::string_view LineEnd = "\r\n";
    bool ColumnNames = true; // a first record with the fields' names
};

// Rows and columns of a result, 0-based and inclusive.
struct TCellRange {
    int FirstRow = 0;
    int LastRow = -1;
    int FirstColumn = 0;
    int LastColumn = -1;
};

// The whole of a result's rows and columns.
TCellRange WholeResult(const TShownCells& Cells);

// Adds one cell, quoted when it must be.
void AppendDelimitedCell(std::string& Out, std::string_view Text, const TDelimitedFormat& Format);

// Told the rows written so far, now and then; answers false to stop the writing.
using TDelimitedProgress = std::function<bool(int RowsWritten)>;

// Writes the cells of Range, handing each piece of the text to Sink; false when Progress
// stopped it.
bool WriteDelimited(const TShownCells& Cells, const TCellRange& Range,
                    const TDelimitedFormat& Format,
                    const std::function<void(std::string_view)>& Sink,
                    const TDelimitedProgress& Progress = {});

// The same, as one text; nothing when Progress stopped it.
std::optional<std::string> DelimitedText(const TShownCells& Cells, const TCellRange& Range,
                                         const TDelimitedFormat& Format,
                                         const TDelimitedProgress& Progress = {});

} // namespace velmora::query
