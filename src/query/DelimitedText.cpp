#include "DelimitedText.h"

#include "DataSet.h"

namespace velmora::query {

namespace {

// Text is handed on when it grows past this.
constexpr size_t PieceBytes = 1 << 20;

bool NeedsQuotes(std::string_view Text, char Separator) {
    for (const char c : Text)
        if (c == Separator || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

} // namespace

TCellRange WholeResult(const ado::TCustomADODataSet& DataSet) {
    return {0, DataSet.RecordCount() - 1, 0, DataSet.FieldCount() - 1};
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

void WriteDelimited(const ado::TCustomADODataSet& DataSet, const TCellRange& Range,
                    const TDelimitedFormat& Format,
                    const std::function<void(std::string_view)>& Sink) {
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
            AppendDelimitedCell(text, DataSet.Fields(column).FieldName(), Format);
        }
        endRecord();
    }
    for (int row = Range.FirstRow; row <= Range.LastRow; ++row) {
        for (int column = Range.FirstColumn; column <= Range.LastColumn; ++column) {
            if (column > Range.FirstColumn)
                text += Format.Separator;
            if (DataSet.CellIsNull(row, column))
                continue;
            cell.clear();
            DataSet.AppendCellText(row, column, cell);
            AppendDelimitedCell(text, cell, Format);
        }
        endRecord();
    }
    if (!text.empty())
        Sink(text);
}

std::string DelimitedText(const ado::TCustomADODataSet& DataSet, const TCellRange& Range,
                          const TDelimitedFormat& Format) {
    std::string text;
    WriteDelimited(DataSet, Range, Format, [&text](std::string_view Piece) { text += Piece; });
    return text;
}

} // namespace velmora::query
