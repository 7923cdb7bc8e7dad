#include "DelimitedText.h"

namespace velmora::query {

namespace {

// Text is handed on when it grows past this.
constexpr size_t PieceBytes = 1 << 20;
// Rows between two reports of progress.
constexpr int ProgressRows = 4096;

bool NeedsQuotes(std::string_view Text, char Separator) {
    for (const char c : Text)
        if (c == Separator || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

} // namespace

TCellRange WholeResult(const TShownCells& Cells) {
    return {0, Cells.RowCount() - 1, 0, Cells.ColumnCount() - 1};
}

void AppendDelimitedCell(std::string& Out, std::string_view Text, const TDelimitedFormat& Format) {
    if (!NeedsQuotes(Text, Format.Separator)) {
        Out += Text;
        return;
    }
    Out += '"';
    for (const char c : Text) {
        if (c == '"')
            Out += '"';
        Out += c;
    }
    Out += '"';
}

bool WriteDelimited(const TShownCells& Cells, const TCellRange& Range,
                    const TDelimitedFormat& Format,
                    const std::function<void(std::string_view)>& Sink,
                    const TDelimitedProgress& Progress) {
    std::string text;
    std::string cell;
    auto endRecord = [&] {
        text += Format.LineEnd;
        if (text.size() >= PieceBytes) {
            Sink(text);
            text.clear();
        }
    };
    if (Format.ColumnNames) {
        for (int column = Range.FirstColumn; column <= Range.LastColumn; ++column) {
            if (column > Range.FirstColumn)
                text += Format.Separator;
            AppendDelimitedCell(text, Cells.ColumnName(column), Format);
        }
        endRecord();
    }
    for (int row = Range.FirstRow; row <= Range.LastRow; ++row) {
        const int written = row - Range.FirstRow;
        if (Progress && written % ProgressRows == 0 && !Progress(written))
            return false;
        for (int column = Range.FirstColumn; column <= Range.LastColumn; ++column) {
            if (column > Range.FirstColumn)
                text += Format.Separator;
            if (Cells.IsNull(row, column))
                continue;
            cell.clear();
            Cells.AppendText(row, column, cell);
            AppendDelimitedCell(text, cell, Format);
        }
        endRecord();
    }
    if (!text.empty())
        Sink(text);
    return true;
}

std::optional<std::string> DelimitedText(const TShownCells& Cells, const TCellRange& Range,
                                         const TDelimitedFormat& Format,
                                         const TDelimitedProgress& Progress) {
    std::string text;
    if (!WriteDelimited(
            Cells, Range, Format, [&text](std::string_view Piece) { text += Piece; }, Progress))
        return std::nullopt;
    return text;
}

} // namespace velmora::query
