#pragma once
// TCustomADODataSet: a result held in memory with a current record, fields, editing written back
// by key, and the data sources that watch it. TADOQuery, TADOTable and TADODataSet differ only in
// where their rows come from.
#include "Field.h"
#include "Recordset.h"
#include "RowWriter.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::ado {

class TADOConnection;
class TDataSource;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// What a data change notification is about.
enum class TDataChange {
    Record, // another record became current
    Data,   // the rows changed (open, post, insert, delete, cancel)
    Field   // a field of the record being edited changed
};

class TCustomADODataSet {
public:
    explicit TCustomADODataSet(std::string name);
    virtual ~TCustomADODataSet();
    TCustomADODataSet(const TCustomADODataSet&) = delete;
    TCustomADODataSet& operator=(const TCustomADODataSet&) = delete;

    const std::string& Name() const { return name_; }
    TADOConnection* Connection() const { return connection_; }
    void SetConnection(TADOConnection* connection);

    void Open();
    void Close();
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool active);
    TDataSetState State() const { return state_; }
    // Takes over an open result; a closed one fails with "<Name>: Recordset is not open".
    void SetRecordset(TRecordset&& recordset);
    // Whether the rows are those read until the user cancelled; such a dataset is read-only.
    bool FetchCancelled() const { return fetchCancelled_; }

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    int RecNo() const; // 1-based; 0 with no records
    void SetRecNo(int recordNumber);
    int RecordCount() const;
    // Runs the dataset's statement again (posting an edit first) and goes back to the same
    // record number, or the last record when there are fewer now.
    void Refresh();
    // Whether the dataset has a statement of its own to run again; a result handed over from a
    // command has none.
    virtual bool CanRefresh() const { return !commandText_.empty(); }
    bool IsEmpty() const { return RecordCount() == 0; }

    TFieldDefs& FieldDefs();
    std::vector<std::string> GetFieldNames();
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int index) const { return *fields_.at(static_cast<size_t>(index)); }
    TField* FindField(std::string_view name) const;
    // Fails with "<Name>: Field '<name>' not found".
    TField& FieldByName(std::string_view name) const;

    // Random access for views: row and column are 0-based indexes of the stored rows.
    bool CellIsNull(int row, int column) const;
    // The stored bytes: text, binary content, or a native value (see CellView).
    std::string_view CellBytes(int row, int column) const;
    // Text as the driver writes it, binary as its bytes: the stored bytes, or a native value
    // written into `scratch`, which the answer then points into.
    std::string_view CellView(int row, int column, std::string& scratch) const;
    // The value as text (bytes in hexadecimal); empty for a null.
    std::string CellText(int row, int column) const;
    void AppendCellText(int row, int column, std::string& out) const;

    bool CanModify();
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();

    // The current record's value as text (binary as its bytes), from the edit buffer while
    // editing (used by TField); valid until the next call.
    bool CurrentIsNull(int column) const;
    std::string_view CurrentBytes(int column) const;
    void SetCurrentValue(int column, std::string_view bytes);
    void SetCurrentNull(int column);
    void CheckEditing() const;

    // Memory held by the rows.
    size_t MemoryUsage() const { return rows_.memoryUsage(); }

    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    void ConnectionGone();

protected:
    // The result this dataset shows when opened.
    virtual TRecordset OpenRecordset();
    // Where edited rows are written; none makes the dataset read-only.
    virtual std::optional<TUpdateTarget> UpdateTarget();
    // Field definitions of a closed dataset, when it can have them without reading rows.
    virtual std::vector<ResultColumn> DescribeColumns();

    std::string commandText_;
    TADOConnection& RequireConnection() const;
    [[noreturn]] void Fail(const std::string& message) const;

private:
    void takeRecordset(TRecordset&& recordset);
    void setCurrentCell(int column, std::optional<std::string_view> bytes);
    void checkActive() const;
    void checkBrowseMode();
    void moveTo(size_t row, bool bof, bool eof);
    void startInsert(size_t at);
    const RowWriter& writer();
    void notifyState();
    void notifyData(TDataChange change);
    void setState(TDataSetState state);

    std::string name_;
    TADOConnection* connection_ = nullptr;
    TDataSetState state_ = dsInactive;
    std::vector<ResultColumn> columns_;
    RecordStore rows_;
    bool fetchCancelled_ = false;
    TFieldDefs fieldDefs_;
    std::vector<std::unique_ptr<TField>> fields_;
    size_t current_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    RowBuilder editRow_;
    mutable std::string currentText_; // a native value of the current record, as text
    RowBuilder originalRow_;
    std::vector<bool> modified_;
    size_t insertAt_ = 0;
    std::optional<std::optional<RowWriter>> writer_;
    std::vector<TDataSource*> dataSources_;
};

// A dataset over a SELECT text.
class TADOQuery : public TCustomADODataSet {
public:
    explicit TADOQuery(std::string name = "ADOQuery1") : TCustomADODataSet(std::move(name)) {}
    const std::string& SQL() const { return commandText_; }
    // A new statement closes the result of the old one.
    void SetSQL(const std::string& text) {
        Close();
        commandText_ = text;
    }
};

// A dataset that shows a result handed over from a command, or runs its own command text.
class TADODataSet : public TCustomADODataSet {
public:
    explicit TADODataSet(std::string name = "ADODataSet1") : TCustomADODataSet(std::move(name)) {}
    const std::string& CommandText() const { return commandText_; }
    void SetCommandText(const std::string& text) {
        Close();
        commandText_ = text;
    }
};

// A dataset over one table: its field definitions without reading rows, all its rows when open,
// and edits written back by key.
class TADOTable : public TCustomADODataSet {
public:
    explicit TADOTable(std::string name = "ADOTable1") : TCustomADODataSet(std::move(name)) {}
    const std::string& TableName() const { return tableName_; }
    // Refused while the table is open.
    void SetTableName(const std::string& name);
    bool CanRefresh() const override { return !tableName_.empty(); }

protected:
    TRecordset OpenRecordset() override;
    std::optional<TUpdateTarget> UpdateTarget() override;
    std::vector<ResultColumn> DescribeColumns() override;

private:
    std::string tableName_;
};

} // namespace velmora::ado
