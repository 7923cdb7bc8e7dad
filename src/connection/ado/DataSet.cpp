#include "DataSet.h"

#include "Connection.h"
#include "ConnectionString.h"
#include "DataSource.h"
#include "DatabaseError.h"

#include <algorithm>

namespace velmora::ado {

TCustomADODataSet::TCustomADODataSet(std::string name) : name_(std::move(name)) {}

TCustomADODataSet::~TCustomADODataSet() {
    if (connection_)
        connection_->DetachDataSet(this);
    for (TDataSource* source : std::vector(dataSources_))
        source->DataSetGone();
}

void TCustomADODataSet::Fail(const std::string& message) const {
    throw EDatabaseError(name_ + ": " + message);
}

void TCustomADODataSet::SetConnection(TADOConnection* connection) {
    if (connection == connection_)
        return;
    Close();
    if (connection_)
        connection_->DetachDataSet(this);
    connection_ = connection;
    if (connection_)
        connection_->AttachDataSet(this);
}

void TCustomADODataSet::ConnectionGone() {
    Close();
    connection_ = nullptr;
}

TADOConnection& TCustomADODataSet::RequireConnection() const {
    if (!connection_)
        Fail("Missing Connection or ConnectionString");
    return *connection_;
}

TRecordset TCustomADODataSet::OpenRecordset() {
    if (commandText_.empty())
        Fail("CommandText not set");
    return RequireConnection().Execute(commandText_);
}

std::optional<TUpdateTarget> TCustomADODataSet::UpdateTarget() {
    // A result can be written back when every column comes from one table.
    if (columns_.empty() || !connection_)
        return std::nullopt;
    TUpdateTarget target{columns_.front().baseTable, {}};
    for (const ResultColumn& column : columns_) {
        if (column.baseTable.empty() || !sameKey(column.baseTable, target.table) ||
            column.baseColumn.empty())
            return std::nullopt;
        target.baseColumns.push_back(column.baseColumn);
    }
    return target;
}

std::vector<ResultColumn> TCustomADODataSet::DescribeColumns() {
    return {};
}

void TCustomADODataSet::Open() {
    if (Active())
        return;
    TRecordset recordset = OpenRecordset();
    if (!recordset.IsOpen())
        Fail("CommandText does not return a result set");
    takeRecordset(std::move(recordset));
}

void TCustomADODataSet::SetRecordset(TRecordset&& recordset) {
    if (!recordset.IsOpen())
        Fail("Recordset is not open");
    Close();
    takeRecordset(std::move(recordset));
}

void TCustomADODataSet::takeRecordset(TRecordset&& recordset) {
    columns_ = std::move(recordset.columns);
    rows_ = std::move(recordset.rows);
    fetchCancelled_ = recordset.fetchCancelled;
    fieldDefs_.Assign(columns_);
    fields_.clear();
    for (int i = 0; i < fieldDefs_.Count(); ++i)
        fields_.push_back(std::make_unique<TField>(*this, fieldDefs_[i], i));
    writer_.reset();
    current_ = 0;
    bof_ = true;
    eof_ = rows_.rowCount() == 0;
    setState(dsBrowse);
    notifyData(TDataChange::Data);
}

void TCustomADODataSet::Close() {
    if (!Active())
        return;
    fields_.clear();
    columns_.clear();
    rows_ = RecordStore();
    fetchCancelled_ = false;
    writer_.reset();
    bof_ = eof_ = true;
    current_ = 0;
    setState(dsInactive);
    notifyData(TDataChange::Data);
}

void TCustomADODataSet::SetActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

void TCustomADODataSet::checkActive() const {
    if (!Active())
        Fail("Cannot perform this operation on a closed dataset");
}

void TCustomADODataSet::checkBrowseMode() {
    checkActive();
    if (state_ == dsEdit || state_ == dsInsert)
        Post();
}

void TCustomADODataSet::moveTo(size_t row, bool bof, bool eof) {
    const bool moved = row != current_;
    current_ = row;
    bof_ = bof;
    eof_ = eof;
    if (moved)
        notifyData(TDataChange::Record);
}

void TCustomADODataSet::First() {
    checkBrowseMode();
    moveTo(0, true, rows_.rowCount() == 0);
}

void TCustomADODataSet::Last() {
    checkBrowseMode();
    const size_t count = rows_.rowCount();
    moveTo(count == 0 ? 0 : count - 1, count == 0, true);
}

void TCustomADODataSet::Next() {
    checkBrowseMode();
    if (current_ + 1 < rows_.rowCount())
        moveTo(current_ + 1, false, false);
    else
        eof_ = true;
}

void TCustomADODataSet::Prior() {
    checkBrowseMode();
    if (current_ > 0 && rows_.rowCount() > 0)
        moveTo(current_ - 1, false, false);
    else
        bof_ = true;
}

int TCustomADODataSet::RecNo() const {
    if (!Active() || rows_.rowCount() == 0)
        return 0;
    return static_cast<int>((state_ == dsInsert ? insertAt_ : current_) + 1);
}

void TCustomADODataSet::SetRecNo(int recordNumber) {
    checkBrowseMode();
    const int count = RecordCount();
    if (recordNumber < 1 || recordNumber > count)
        return;
    const auto row = static_cast<size_t>(recordNumber - 1);
    moveTo(row, false, false);
}

void TCustomADODataSet::Refresh() {
    checkBrowseMode();
    const int recordNumber = RecNo();
    Close();
    Open();
    if (recordNumber > 1)
        SetRecNo(std::min(recordNumber, RecordCount()));
}

int TCustomADODataSet::RecordCount() const {
    return Active() ? static_cast<int>(rows_.rowCount()) : 0;
}

TFieldDefs& TCustomADODataSet::FieldDefs() {
    if (!Active())
        fieldDefs_.Assign(DescribeColumns());
    return fieldDefs_;
}

std::vector<std::string> TCustomADODataSet::GetFieldNames() {
    std::vector<std::string> names;
    for (const TFieldDef& def : FieldDefs())
        names.push_back(def.Name);
    return names;
}

TField* TCustomADODataSet::FindField(std::string_view name) const {
    for (const auto& field : fields_)
        if (sameKey(field->FieldName(), name))
            return field.get();
    return nullptr;
}

TField& TCustomADODataSet::FieldByName(std::string_view name) const {
    if (TField* field = FindField(name))
        return *field;
    Fail("Field '" + std::string(name) + "' not found");
}

bool TCustomADODataSet::CellIsNull(int row, int column) const {
    return rows_.isNull(static_cast<size_t>(row), static_cast<size_t>(column));
}

std::string_view TCustomADODataSet::CellBytes(int row, int column) const {
    return rows_.value(static_cast<size_t>(row), static_cast<size_t>(column));
}

std::string TCustomADODataSet::CellText(int row, int column) const {
    std::string text;
    AppendCellText(row, column, text);
    return text;
}

void TCustomADODataSet::AppendCellText(int row, int column, std::string& out) const {
    if (CellIsNull(row, column))
        return;
    if (columns_[static_cast<size_t>(column)].isBinary())
        appendHex(CellBytes(row, column), out);
    else
        rows_.appendText(static_cast<size_t>(row), static_cast<size_t>(column), out);
}

std::string_view TCustomADODataSet::CellView(int row, int column, std::string& scratch) const {
    return rows_.text(static_cast<size_t>(row), static_cast<size_t>(column), scratch);
}

bool TCustomADODataSet::CurrentIsNull(int column) const {
    if (state_ == dsEdit || state_ == dsInsert)
        return editRow_.isNull(static_cast<size_t>(column));
    if (!Active() || rows_.rowCount() == 0)
        return true;
    return CellIsNull(static_cast<int>(current_), column);
}

std::string_view TCustomADODataSet::CurrentBytes(int column) const {
    if (state_ == dsEdit || state_ == dsInsert)
        return editRow_.value(static_cast<size_t>(column));
    if (!Active() || rows_.rowCount() == 0)
        return {};
    return CellView(static_cast<int>(current_), column, currentText_);
}

void TCustomADODataSet::CheckEditing() const {
    if (state_ != dsEdit && state_ != dsInsert)
        Fail("Dataset not in edit or insert mode");
}

void TCustomADODataSet::SetCurrentValue(int column, std::string_view bytes) {
    setCurrentCell(column, bytes);
}

void TCustomADODataSet::SetCurrentNull(int column) {
    setCurrentCell(column, std::nullopt);
}

void TCustomADODataSet::setCurrentCell(int column, std::optional<std::string_view> bytes) {
    CheckEditing();
    // Rebuild the edit row with the one cell changed: rows are small next to a round trip.
    RowBuilder changed(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i) {
        const bool target = i == static_cast<size_t>(column);
        if (target && bytes)
            changed.addValue(*bytes);
        else if (target || editRow_.isNull(i))
            changed.addNull();
        else
            changed.addValue(editRow_.value(i));
    }
    editRow_ = std::move(changed);
    modified_[static_cast<size_t>(column)] = true;
    notifyData(TDataChange::Field);
}

const RowWriter& TCustomADODataSet::writer() {
    if (!writer_) {
        // Rows that stopped coming part way cannot be told apart from rows that are not there.
        std::optional<TUpdateTarget> target = fetchCancelled_ ? std::nullopt : UpdateTarget();
        writer_.emplace();
        if (target)
            writer_->emplace(RequireConnection(), std::move(*target), columns_);
    }
    if (!*writer_)
        Fail("Cannot modify a read-only dataset");
    return **writer_;
}

bool TCustomADODataSet::CanModify() {
    if (!Active())
        return false;
    try {
        writer();
        return true;
    } catch (const EDatabaseError&) {
        return false;
    }
}

void TCustomADODataSet::Edit() {
    checkActive();
    if (state_ == dsEdit || state_ == dsInsert)
        return;
    if (rows_.rowCount() == 0)
        return Insert();
    writer();
    rows_.loadRow(current_, editRow_);
    rows_.loadRow(current_, originalRow_);
    modified_.assign(columns_.size(), false);
    setState(dsEdit);
}

void TCustomADODataSet::startInsert(size_t at) {
    checkBrowseMode();
    writer();
    editRow_.clear();
    for (size_t i = 0; i < columns_.size(); ++i)
        editRow_.addNull();
    modified_.assign(columns_.size(), false);
    insertAt_ = at;
    setState(dsInsert);
    notifyData(TDataChange::Data);
}

void TCustomADODataSet::Insert() {
    checkActive();
    startInsert(std::min(current_, rows_.rowCount()));
}

void TCustomADODataSet::Append() {
    checkActive();
    startInsert(rows_.rowCount());
}

void TCustomADODataSet::Post() {
    checkActive();
    if (state_ == dsEdit) {
        writer().update(originalRow_, editRow_, modified_);
        rows_.replaceRow(current_, editRow_);
    } else if (state_ == dsInsert) {
        writer().insert(editRow_);
        rows_.insertRow(insertAt_, editRow_);
        current_ = insertAt_;
        bof_ = eof_ = false;
    } else {
        return;
    }
    setState(dsBrowse);
    notifyData(TDataChange::Data);
}

void TCustomADODataSet::Cancel() {
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    setState(dsBrowse);
    notifyData(TDataChange::Data);
}

void TCustomADODataSet::Delete() {
    checkActive();
    if (state_ == dsInsert)
        return Cancel();
    if (rows_.rowCount() == 0)
        Fail("Cannot perform this operation on an empty dataset");
    if (state_ == dsEdit)
        Cancel();
    rows_.loadRow(current_, originalRow_);
    writer().remove(originalRow_);
    rows_.eraseRow(current_);
    const size_t count = rows_.rowCount();
    if (current_ >= count)
        current_ = count == 0 ? 0 : count - 1;
    bof_ = eof_ = count == 0;
    notifyData(TDataChange::Data);
}

void TCustomADODataSet::AddDataSource(TDataSource* source) {
    if (std::find(dataSources_.begin(), dataSources_.end(), source) == dataSources_.end())
        dataSources_.push_back(source);
}

void TCustomADODataSet::RemoveDataSource(TDataSource* source) {
    std::erase(dataSources_, source);
}

void TCustomADODataSet::setState(TDataSetState state) {
    if (state == state_)
        return;
    state_ = state;
    notifyState();
}

void TCustomADODataSet::notifyState() {
    for (TDataSource* source : std::vector(dataSources_))
        source->StateChanged();
}

void TCustomADODataSet::notifyData(TDataChange change) {
    for (TDataSource* source : std::vector(dataSources_))
        source->DataChanged(change);
}

void TADOTable::SetTableName(const std::string& name) {
    if (Active())
        Fail("Cannot perform this operation on an open dataset");
    tableName_ = name;
}

TRecordset TADOTable::OpenRecordset() {
    if (tableName_.empty())
        Fail("Missing TableName property");
    TADOConnection& connection = RequireConnection();
    return connection.Execute("SELECT * FROM " + connection.QuoteTableName(tableName_));
}

std::vector<ResultColumn> TADOTable::DescribeColumns() {
    if (tableName_.empty())
        return {};
    TADOConnection& connection = RequireConnection();
    return connection
        .Execute("SELECT * FROM " + connection.QuoteTableName(tableName_) + " WHERE 1 = 0")
        .columns;
}

std::optional<TUpdateTarget> TADOTable::UpdateTarget() {
    if (!Active())
        return std::nullopt;
    TUpdateTarget target{tableName_, {}};
    for (int i = 0; i < FieldCount(); ++i)
        target.baseColumns.push_back(Fields(i).Def().Column.serverName);
    return target;
}

} // namespace velmora::ado
