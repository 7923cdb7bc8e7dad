#include "ShownCells.h"

#include "DataSet.h"

namespace velmora::query {

using ado::dsEdit;
using ado::dsInsert;

TShownCells::TShownCells(const ado::TCustomADODataSet& DataSet) : FDataSet(DataSet) {
    FRowCount = DataSet.Active() ? DataSet.RecordCount() : 0;
    const ado::TDataSetState state = DataSet.State();
    if (state != dsEdit && state != dsInsert)
        return;
    FInserted = state == dsInsert;
    FEditedRow = DataSet.RecNo() - 1;
    if (FInserted)
        ++FRowCount;
    for (int column = 0; column < DataSet.FieldCount(); ++column) {
        const ado::TField& field = DataSet.Fields(column);
        FEditedCells.push_back(field.IsNull() ? std::nullopt
                                              : std::optional<std::string>(field.AsString()));
    }
}

int TShownCells::ColumnCount() const {
    return FDataSet.FieldCount();
}

const std::string& TShownCells::ColumnName(int Column) const {
    return FDataSet.Fields(Column).FieldName();
}

int TShownCells::StoredRow(int Row) const {
    return FInserted && Row > FEditedRow ? Row - 1 : Row;
}

bool TShownCells::IsNull(int Row, int Column) const {
    if (Row == FEditedRow)
        return !FEditedCells[static_cast<size_t>(Column)].has_value();
    return FDataSet.CellIsNull(StoredRow(Row), Column);
}

void TShownCells::AppendText(int Row, int Column, std::string& Out) const {
    if (Row != FEditedRow)
        return FDataSet.AppendCellText(StoredRow(Row), Column, Out);
    if (const auto& cell = FEditedCells[static_cast<size_t>(Column)])
        Out += *cell;
}

} // namespace velmora::query
