#pragma once
// The result grid's model: a window of rows over the dataset bound to a data source. Values are
// read from the dataset when a cell is shown, never copied, and the model has only as many rows
// as the view shows at once, so that a result of millions of rows costs the view nothing per
// row. The view moves the window; the model keeps the current record inside it.
#include "DataSource.h"

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

namespace velmora::query {

// True for a cell that holds no value; such a cell shows the word NULL, and edits as empty.
inline constexpr int NullRole = Qt::UserRole + 1;

class TDataSetTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TDataSetTableModel(QObject* Parent = nullptr);

    void SetDataSource(ado::TDataSource* Source);
    ado::TDataSource* DataSource() const { return FLink.DataSource(); }
    // The bound dataset while it is open; null otherwise.
    ado::TCustomADODataSet* DataSet() const;

    // Rows of the whole result, the row being inserted included.
    int RowTotal() const;
    // The row of the result shown as the model's row 0.
    int FirstRow() const { return FFirstRow; }
    void SetFirstRow(int Row);
    // How many rows the view shows at once (at least 1).
    int WindowRows() const { return FWindowRows; }
    void SetWindowRows(int Rows);
    // The result row of the current record, or of the row being inserted; -1 without one.
    int CurrentRow() const;
    // True while the model changes its rows after a notification or a move of the window.
    bool IsUpdating() const { return FUpdating; }
    // Whether a column holds numbers (shown right-aligned, never cut).
    bool IsNumericColumn(int Column) const;

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation,
                        int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role = Qt::EditRole) override;
    // Gives an editable cell no value, putting its record into edit state.
    bool SetNull(const QModelIndex& Index);

signals:
    // The current record, the window or the number of rows changed.
    void PositionChanged();
    // A value typed into a cell was refused; the message says why.
    void EditFailed(const QString& Message);

private:
    void DataSetChanged();
    void ReplaceResult();
    void KeepCurrentInWindow();
    void ClampFirstRow();
    void ResizeWindow(int Rows);
    void RepaintWindow();
    int ShownRows() const;
    std::vector<std::string> FieldNames() const;
    QVariant CellValue(const ado::TCustomADODataSet& DataSet, int Row, int Column, int Role) const;
    bool EditCell(const QModelIndex& Index, const std::function<void(ado::TField&)>& Change);

    ado::TDataLink FLink;
    ado::TCustomADODataSet* FShownDataSet = nullptr;
    std::vector<std::string> FFieldNames;
    ado::TDataSetState FState = ado::dsInactive;
    bool FEditable = false;
    int FFirstRow = 0;
    int FWindowRows = 1;
    int FRowCount = 0;
    bool FUpdating = false;
    mutable std::string FScratch; // the text of a native value being shown
};

} // namespace velmora::query
