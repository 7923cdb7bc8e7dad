#include "DataSetTableModel.h"

#include "CellDisplay.h"
#include "EditableResult.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <exception>

namespace velmora::query {

using namespace velmora::ado;

namespace {

bool IsNumeric(TFieldType Type) {
    switch (Type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
        return true;
    default:
        return false;
    }
}

bool IsText(TFieldType Type) {
    return Type == ftString || Type == ftFixedChar || Type == ftWideString || Type == ftMemo ||
           Type == ftFmtMemo;
}

// The record indicator of the row header, as the dataset's state shows the current record.
QString Indicator(TDataSetState State) {
    switch (State) {
    case dsEdit:
        return QStringLiteral("I");
    case dsInsert:
        return QStringLiteral("*");
    default:
        return QString(QChar(0x25BA));
    }
}

} // namespace

TDataSetTableModel::TDataSetTableModel(QObject* Parent) : QAbstractTableModel(Parent) {
    FLink.OnDataChange = [this](TDataSource&, TDataChange) { DataSetChanged(); };
    FLink.OnStateChange = [this](TDataSource&) { DataSetChanged(); };
}

void TDataSetTableModel::SetDataSource(TDataSource* Source) {
    FLink.SetDataSource(Source);
    DataSetChanged();
}

TCustomADODataSet* TDataSetTableModel::DataSet() const {
    return FLink.Active() ? FLink.DataSet() : nullptr;
}

int TDataSetTableModel::RowTotal() const {
    const TCustomADODataSet* dataSet = DataSet();
    if (dataSet == nullptr)
        return 0;
    return dataSet->RecordCount() + (dataSet->State() == dsInsert ? 1 : 0);
}

int TDataSetTableModel::CurrentRow() const {
    const TCustomADODataSet* dataSet = DataSet();
    if (dataSet == nullptr)
        return -1;
    if (dataSet->State() != dsInsert && dataSet->RecordCount() == 0)
        return -1;
    return std::max(dataSet->RecNo() - 1, 0);
}

std::vector<std::string> TDataSetTableModel::FieldNames() const {
    std::vector<std::string> names;
    if (const TCustomADODataSet* dataSet = DataSet())
        for (int i = 0; i < dataSet->FieldCount(); ++i)
            names.push_back(dataSet->Fields(i).FieldName());
    return names;
}

// Another result (or none) starts the view afresh; the same result with other rows, another
// current record or another state only moves and repaints the window, so the view keeps its
// column widths and the editor its place.
void TDataSetTableModel::DataSetChanged() {
    TCustomADODataSet* dataSet = DataSet();
    if (dataSet != FShownDataSet || FieldNames() != FFieldNames)
        return ReplaceResult();
    const QScopedValueRollback updating(FUpdating, true);
    const TDataSetState state = dataSet ? dataSet->State() : dsInactive;
    if (state != FState) {
        FState = state;
        FEditable = dataSet != nullptr && IsEditableResult(*dataSet);
    }
    KeepCurrentInWindow();
    ResizeWindow(ShownRows());
    RepaintWindow();
    emit PositionChanged();
}

void TDataSetTableModel::ReplaceResult() {
    const QScopedValueRollback updating(FUpdating, true);
    beginResetModel();
    FShownDataSet = DataSet();
    FFieldNames = FieldNames();
    FState = FShownDataSet ? FShownDataSet->State() : dsInactive;
    FEditable = FShownDataSet != nullptr && IsEditableResult(*FShownDataSet);
    FFirstRow = 0;
    KeepCurrentInWindow();
    FRowCount = ShownRows();
    endResetModel();
    emit PositionChanged();
}

void TDataSetTableModel::SetFirstRow(int Row) {
    const int before = FFirstRow;
    FFirstRow = Row;
    ClampFirstRow();
    if (FFirstRow == before)
        return;
    const QScopedValueRollback updating(FUpdating, true);
    ResizeWindow(ShownRows());
    RepaintWindow();
    emit PositionChanged();
}

void TDataSetTableModel::SetWindowRows(int Rows) {
    Rows = std::max(Rows, 1);
    if (Rows == FWindowRows)
        return;
    FWindowRows = Rows;
    const QScopedValueRollback updating(FUpdating, true);
    KeepCurrentInWindow();
    ResizeWindow(ShownRows());
    RepaintWindow();
    emit PositionChanged();
}

void TDataSetTableModel::KeepCurrentInWindow() {
    const int current = CurrentRow();
    if (current >= 0 && current < FFirstRow)
        FFirstRow = current;
    else if (current >= FFirstRow + FWindowRows)
        FFirstRow = current - FWindowRows + 1;
    ClampFirstRow();
}

void TDataSetTableModel::ClampFirstRow() {
    FFirstRow = std::clamp(FFirstRow, 0, std::max(RowTotal() - FWindowRows, 0));
}

int TDataSetTableModel::ShownRows() const {
    return std::clamp(RowTotal() - FFirstRow, 0, FWindowRows);
}

void TDataSetTableModel::ResizeWindow(int Rows) {
    if (Rows > FRowCount) {
        beginInsertRows({}, FRowCount, Rows - 1);
        FRowCount = Rows;
        endInsertRows();
    } else if (Rows < FRowCount) {
        beginRemoveRows({}, Rows, FRowCount - 1);
        FRowCount = Rows;
        endRemoveRows();
    }
}

void TDataSetTableModel::RepaintWindow() {
    if (FRowCount == 0)
        return;
    emit headerDataChanged(Qt::Vertical, 0, FRowCount - 1);
    if (!FFieldNames.empty())
        emit dataChanged(index(0, 0), index(FRowCount - 1, columnCount() - 1));
}

int TDataSetTableModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : FRowCount;
}

int TDataSetTableModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : static_cast<int>(FFieldNames.size());
}

QVariant TDataSetTableModel::data(const QModelIndex& Index, int Role) const {
    const TCustomADODataSet* dataSet = DataSet();
    if (!Index.isValid() || dataSet == nullptr || Index.column() >= dataSet->FieldCount())
        return {};
    return CellValue(*dataSet, FFirstRow + Index.row(), Index.column(), Role);
}

QVariant TDataSetTableModel::CellValue(const TCustomADODataSet& DataSet, int Row, int Column,
                                       int Role) const {
    const TField& field = DataSet.Fields(Column);
    if (Role == Qt::TextAlignmentRole)
        return IsNumeric(field.DataType()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                           : QVariant();
    if (Role != Qt::DisplayRole && Role != Qt::EditRole && Role != Qt::ToolTipRole &&
        Role != NullRole)
        return {};
    // The current record shows the edit buffer while it is edited or inserted; the rows after
    // a row being inserted are the stored rows one up.
    const TDataSetState state = DataSet.State();
    const int current = CurrentRow();
    bool isNull = true;
    std::string_view bytes;
    if ((state == dsEdit || state == dsInsert) && Row == current) {
        isNull = field.IsNull();
        bytes = field.AsBytes();
    } else {
        const int stored = state == dsInsert && Row > current ? Row - 1 : Row;
        if (stored >= DataSet.RecordCount())
            return {};
        isNull = DataSet.CellIsNull(stored, Column);
        bytes = DataSet.CellView(stored, Column, FScratch);
    }
    if (Role == NullRole)
        return isNull;
    if (isNull)
        return Role == Qt::DisplayRole ? QStringLiteral("NULL") : QString();
    if (Role == Qt::ToolTipRole)
        return field.IsBinary() ? QVariant() : QVariant(WholeTextTip(bytes));
    if (Role == Qt::EditRole)
        return field.IsBinary()
                   ? QString::fromStdString(bytesToHex(bytes))
                   : QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return field.IsBinary() ? ShortBinary(bytes) : ShortText(bytes);
}

bool TDataSetTableModel::IsNumericColumn(int Column) const {
    const TCustomADODataSet* dataSet = DataSet();
    return dataSet != nullptr && Column >= 0 && Column < dataSet->FieldCount() &&
           IsNumeric(dataSet->Fields(Column).DataType());
}

QVariant TDataSetTableModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Role != Qt::DisplayRole)
        return {};
    if (Orientation == Qt::Horizontal)
        return Section >= 0 && Section < columnCount()
                   ? QString::fromStdString(FFieldNames[static_cast<size_t>(Section)])
                   : QVariant();
    return FFirstRow + Section == CurrentRow() ? Indicator(FState) : QString();
}

Qt::ItemFlags TDataSetTableModel::flags(const QModelIndex& Index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(Index);
    const TCustomADODataSet* dataSet = DataSet();
    if (!FEditable || dataSet == nullptr || !Index.isValid() ||
        Index.column() >= dataSet->FieldCount())
        return result;
    const TField& field = dataSet->Fields(Index.column());
    // Blobs and bytes are not typed into a cell: they come from files.
    if (!field.IsBlob() && !field.IsBinary())
        result |= Qt::ItemIsEditable;
    return result;
}

bool TDataSetTableModel::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
    if (Role != Qt::EditRole)
        return false;
    const std::string text = Value.toString().toStdString();
    return EditCell(Index, [&text](TField& Field) {
        // An emptied cell of a number or a date holds no value; text may be empty.
        if (text.empty() && !IsText(Field.DataType()))
            Field.Clear();
        else
            Field.SetAsString(text);
    });
}

bool TDataSetTableModel::SetNull(const QModelIndex& Index) {
    return EditCell(Index, [](TField& Field) { Field.Clear(); });
}

bool TDataSetTableModel::EditCell(const QModelIndex& Index,
                                  const std::function<void(TField&)>& Change) {
    TCustomADODataSet* dataSet = DataSet();
    if (!(flags(Index) & Qt::ItemIsEditable) || dataSet == nullptr)
        return false;
    try {
        const int row = FFirstRow + Index.row();
        if (row != CurrentRow())
            dataSet->SetRecNo(row + 1);
        dataSet->Edit();
        Change(dataSet->Fields(Index.column()));
    } catch (const std::exception& error) {
        emit EditFailed(QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

} // namespace velmora::query
