#pragma once
// A result's cells as the grid shows them: the stored rows, and the record being edited or
// inserted with what has been typed into it. The edited record is taken when this is made, so
// the stored rows may then be read from another thread while the window paints; nothing may
// change the dataset until the reading is done.
#include <optional>
#include <string>
#include <vector>

namespace velmora::ado {
class TCustomADODataSet;
}

namespace velmora::query {

class TShownCells {
public:
    explicit TShownCells(const ado::TCustomADODataSet& DataSet);

    // Rows as shown: a record being inserted is one more.
    int RowCount() const { return FRowCount; }
    int ColumnCount() const;
    const std::string& ColumnName(int Column) const;
    bool IsNull(int Row, int Column) const;
    // The cell's text (binary in hexadecimal); nothing for a null.
    void AppendText(int Row, int Column, std::string& Out) const;

private:
    // The stored row shown as Row; only for rows other than the edited one.
    int StoredRow(int Row) const;

    const ado::TCustomADODataSet& FDataSet;
    int FRowCount = 0;
    int FEditedRow = -1; // none while browsing
    bool FInserted = false;
    std::vector<std::optional<std::string>> FEditedCells; // no value: a null
};

} // namespace velmora::query
