#include "ResultReader.h"

#include "WideText.h"

#include <algorithm>
#include <sqlext.h>

namespace velmora::ado {

namespace {

constexpr size_t blockBufferBytes = 1 << 20;
constexpr size_t maximumBlockRows = 1024;
constexpr size_t longestBoundCharacters = 4000;
// Text of numbers, dates and the like: generous room for any driver's formatting.
constexpr size_t scalarTextCharacters = 64;
constexpr size_t firstPieceBytes = 64 * 1024;
const char* const truncationState = "01004";

bool isCharacterType(DataTypeEnum type) {
    return type == adChar || type == adVarChar || type == adWChar || type == adVarWChar ||
           type == adBSTR;
}

// FreeTDS writes a year before 1000 with fewer than four digits ("1-01-01"): the zeros that make
// it a date in ISO 8601 form again.
size_t missingYearDigits(const SQLWCHAR* text, size_t units) {
    size_t digits = 0;
    while (digits < std::min<size_t>(units, 4) && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    return digits > 0 && digits < 4 && digits < units && text[digits] == '-' ? 4 - digits : 0;
}

struct ColumnBinding {
    bool bound = false;
    CellFormat format;  // typed: fetched in its C type and kept natively
    bool dated = false; // a date or timestamp column
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN width = 0; // bytes per row, terminator included
    std::vector<char> buffer;
    std::vector<SQLLEN> indicators;
};

class RowFetcher {
public:
    RowFetcher(const OdbcStatement& statement, const std::vector<ResultColumn>& columns,
               const GetDataAbilities& abilities, TServerCall& call)
        : statement_(statement), handle_(statement.handle()), columns_(columns),
          abilities_(abilities), call_(call), bindings_(columns.size()), row_(columns.size()) {}

    ~RowFetcher() {
        // The statement must not keep pointers into buffers that are about to go.
        SQLFreeStmt(handle_, SQL_UNBIND);
        SQLSetStmtAttrW(handle_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        SQLSetStmtAttrW(handle_, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttrW(handle_, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    }

    FetchedRows run() {
        call_.SetStage(TServerStage::Fetching);
        plan();
        bind();
        const bool stopped = readBlocks();
        if (!stopped)
            postFirstRows(true);
        call_.FirstRows().Close();
        return {std::move(store_), stopped};
    }

private:
    // True when a cancel request stopped the reading.
    bool readBlocks() {
        while (!call_.CancelRequested()) {
            setFetchRows(nextFetchRows());
            const bool more = fetchBlock();
            // A block that a cancel cut short (a value that never ended) is not kept.
            if (call_.CancelRequested())
                break;
            if (!more)
                return false;
            for (size_t row = 0; row < fetched_; ++row)
                storeRow(row);
            call_.SetRowsFetched(static_cast<long>(store_.rowCount()));
            postFirstRows(false);
            // A short block ends the result. Fetching again would be pointless, and FreeTDS
            // would read on into the next statement's messages (a PRINT's) and lose them.
            if (fetched_ < fetchRows_)
                return false;
        }
        return true;
    }

    void postFirstRows(bool resultEnded) {
        TFirstRowsOutbox& outbox = call_.FirstRows();
        if (outbox.Wanted(store_.rowCount(), resultEnded))
            outbox.Post(columns_, store_);
    }

    // The first blocks are small and grow, doubling, to the full block: a fetch returns once its
    // block is whole, so the first row can be shown as soon as it comes, and a server that sends
    // a few rows and then works on is not waited for before anything shows.
    size_t nextFetchRows() const {
        return store_.rowCount() == 0 ? 1 : std::min(fetchRows_ * 2, blockRows_);
    }

    void setFetchRows(size_t rows) {
        if (rows == fetchRows_)
            return;
        statement_.check(SQLSetStmtAttrW(handle_, SQL_ATTR_ROW_ARRAY_SIZE,
                                         reinterpret_cast<SQLPOINTER>(rows), 0),
                         "Setting the row array size");
        fetchRows_ = rows;
    }

    void plan() {
        const bool anyLong = std::any_of(columns_.begin(), columns_.end(),
                                         [](const ResultColumn& c) { return c.isLong(); });
        const bool bindable = abilities_.bound || abilities_.sizesHold;
        const bool blocks = abilities_.block && bindable && !anyLong;
        size_t rowWidth = 0;
        bool unboundSeen = false;
        for (size_t i = 0; i < columns_.size(); ++i) {
            ColumnBinding& binding = bindings_[i];
            binding.cType = columns_[i].isBinary() ? SQL_C_BINARY : SQL_C_WCHAR;
            binding.dated = columns_[i].adoType == adDBDate || columns_[i].adoType == adDBTimeStamp;
            binding.width = boundWidth(columns_[i]);
            // Without SQL_GD_BOUND a truncated bound cell could not be read again; without
            // SQL_GD_ANY_COLUMN nothing may be bound after a column read with SQLGetData.
            binding.bound =
                !columns_[i].isLong() && bindable && (abilities_.anyColumn || !unboundSeen);
            unboundSeen = unboundSeen || !binding.bound;
            if (binding.bound && abilities_.typedCells)
                useNativeType(binding, columns_[i]);
            if (binding.bound)
                rowWidth += static_cast<size_t>(binding.width) + sizeof(SQLLEN);
        }
        std::vector<CellFormat> formats;
        for (const ColumnBinding& binding : bindings_)
            formats.push_back(binding.format);
        store_ = RecordStore(columns_.size(), std::move(formats));
        blockRows_ = blocks ? std::clamp<size_t>(blockBufferBytes / std::max<size_t>(rowWidth, 1),
                                                 1, maximumBlockRows)
                            : 1;
    }

    static void useNativeType(ColumnBinding& binding, const ResultColumn& column) {
        binding.format = typedFormatOf(column);
        if (!binding.format.typed())
            return;
        binding.cType = boundCType(binding.format.kind);
        binding.width = static_cast<SQLLEN>(boundBytes(binding.format.kind));
    }

    static SQLLEN boundWidth(const ResultColumn& column) {
        const size_t size = std::min<size_t>(column.description.columnSize, longestBoundCharacters);
        if (column.isBinary())
            return static_cast<SQLLEN>(std::max<size_t>(size, 1));
        // A character column's size counts characters; one may take two UTF-16 units.
        const size_t characters = isCharacterType(column.adoType)
                                      ? std::max<size_t>(size * 2, 1)
                                      : std::max(size + 2, scalarTextCharacters);
        return static_cast<SQLLEN>((characters + 1) * sizeof(SQLWCHAR));
    }

    void bind() {
        statement_.check(SQLSetStmtAttrW(handle_, SQL_ATTR_ROW_BIND_TYPE,
                                         reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0),
                         "Binding columns");
        setFetchRows(blockRows_);
        statement_.check(SQLSetStmtAttrW(handle_, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0),
                         "Binding columns");
        rowStatus_.resize(blockRows_);
        statement_.check(SQLSetStmtAttrW(handle_, SQL_ATTR_ROW_STATUS_PTR, rowStatus_.data(), 0),
                         "Binding columns");
        for (size_t i = 0; i < bindings_.size(); ++i) {
            ColumnBinding& binding = bindings_[i];
            if (!binding.bound)
                continue;
            binding.buffer.resize(static_cast<size_t>(binding.width) * blockRows_);
            binding.indicators.resize(blockRows_);
            statement_.check(SQLBindCol(handle_, static_cast<SQLUSMALLINT>(i + 1), binding.cType,
                                        binding.buffer.data(), binding.width,
                                        binding.indicators.data()),
                             "Binding columns");
        }
    }

    // The fetch may wait for the server, as for a row with a long value: Cancel stops it.
    bool fetchBlock() {
        fetched_ = 0;
        SQLRETURN result = SQL_NO_DATA;
        try {
            result = call_.Cancellable(
                handle_, [this] { return SQLFetchScroll(handle_, SQL_FETCH_NEXT, 0); });
        } catch (const EDatabaseError&) {
            if (call_.CancelRequested())
                return false; // cancelled before it started
            throw;
        }
        if (result == SQL_NO_DATA || (!SQL_SUCCEEDED(result) && call_.CancelRequested()))
            return false;
        reportInfo(statement_.check(result, "Fetching rows"));
        return fetched_ > 0;
    }

    void storeRow(size_t row) {
        if (rowStatus_[row] == SQL_ROW_ERROR)
            statement_.check(SQL_ERROR, "Reading a row of the result");
        row_.clear();
        for (size_t column = 0; column < columns_.size(); ++column)
            storeCell(row, column);
        store_.appendRow(row_);
    }

    void storeCell(size_t row, size_t column) {
        const ColumnBinding& binding = bindings_[column];
        if (!binding.bound)
            return readWholeCell(column);
        const SQLLEN indicator = binding.indicators[row];
        if (indicator == SQL_NULL_DATA)
            return row_.addNull();
        const char* data = binding.buffer.data() + static_cast<size_t>(binding.width) * row;
        if (binding.format.typed()) {
            char* out = row_.beginCell(largestTypedCell);
            return row_.finishCell(encodeCell(binding.format.kind, data, out));
        }
        const SQLLEN room = binding.cType == SQL_C_WCHAR
                                ? binding.width - static_cast<SQLLEN>(sizeof(SQLWCHAR))
                                : binding.width;
        if (indicator == SQL_NO_TOTAL || indicator > room) {
            if (!abilities_.bound)
                throw EDatabaseError("The driver sent a value longer than its column's declared "
                                     "size, and cannot send it again whole.");
            if (blockRows_ > 1)
                statement_.check(SQLSetPos(handle_, static_cast<SQLSETPOSIROW>(row + 1),
                                           SQL_POSITION, SQL_LOCK_NO_CHANGE),
                                 "Positioning on a row");
            return readWholeCell(column);
        }
        if (binding.cType == SQL_C_BINARY)
            return row_.addValue({data, static_cast<size_t>(indicator)});
        addText(binding, reinterpret_cast<const SQLWCHAR*>(data),
                static_cast<size_t>(indicator) / sizeof(SQLWCHAR));
    }

    void addText(const ColumnBinding& binding, const SQLWCHAR* text, size_t units) {
        const size_t zeros = binding.dated ? missingYearDigits(text, units) : 0;
        char* out = row_.beginCell(zeros + units * 3);
        std::fill_n(out, zeros, '0');
        row_.finishCell(zeros + utf16ToUtf8(text, units, out + zeros));
    }

    // Reads a cell from its start to its end in pieces. Some drivers (SQLite's) work through
    // the whole value again for every piece, so each piece is at least twice the last, and as
    // large as the rest of the value when the driver tells its length: a value of any size takes
    // a few calls, not thousands. The buffer keeps its size from cell to cell, so it is
    // allocated and cleared only when a value is larger than any before it.
    void readWholeCell(size_t column) {
        const bool binary = bindings_[column].cType == SQL_C_BINARY;
        const size_t terminator = binary ? 0 : sizeof(SQLWCHAR);
        size_t filled = 0;
        size_t wanted = firstPieceBytes;
        while (true) {
            if (cell_.size() < filled + wanted)
                cell_.resize(evenSize(filled + wanted)); // whole UTF-16 units
            const size_t piece = cell_.size() - filled;
            SQLLEN indicator = 0;
            const SQLRETURN result =
                SQLGetData(handle_, static_cast<SQLUSMALLINT>(column + 1), bindings_[column].cType,
                           cell_.data() + filled, static_cast<SQLLEN>(piece), &indicator);
            if (result == SQL_NO_DATA)
                break;
            statement_.check(result, "Reading a value");
            if (indicator == SQL_NULL_DATA)
                return row_.addNull();
            const size_t room = piece - terminator;
            const bool longer = indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > room;
            // A driver that reports more than it gave, without saying that it cut the value,
            // has cut it: the cell would be wrong, and reading on would go past the buffer.
            if (longer && result != SQL_SUCCESS_WITH_INFO)
                throw EDatabaseError("The driver cut a value of the column \"" +
                                     columns_[column].name +
                                     "\" without saying so; it is not shown cut.");
            const bool more = longer;
            filled += more ? room : static_cast<size_t>(indicator);
            if (!more)
                break;
            const size_t rest =
                indicator == SQL_NO_TOTAL ? 0 : static_cast<size_t>(indicator) - room + terminator;
            wanted = std::max(piece * 2, rest);
        }
        if (binary)
            return row_.addValue({cell_.data(), filled});
        addText(bindings_[column], reinterpret_cast<const SQLWCHAR*>(cell_.data()),
                filled / sizeof(SQLWCHAR));
    }

    static size_t evenSize(size_t bytes) { return bytes + bytes % 2; }

    void reportInfo(std::vector<Diagnostic> diagnostics) {
        std::erase_if(diagnostics, [](const Diagnostic& diagnostic) {
            return diagnostic.sqlState == truncationState;
        });
        call_.Report(diagnostics);
    }

    const OdbcStatement& statement_;
    SQLHSTMT handle_;
    const std::vector<ResultColumn>& columns_;
    GetDataAbilities abilities_;
    TServerCall& call_;
    std::vector<ColumnBinding> bindings_;
    size_t blockRows_ = 1;
    size_t fetchRows_ = 0; // the row array size the statement has now
    SQLULEN fetched_ = 0;
    std::vector<SQLUSMALLINT> rowStatus_;
    RowBuilder row_;
    RecordStore store_;
    std::vector<char> cell_;
};

} // namespace

GetDataAbilities GetDataAbilities::fromMask(SQLUINTEGER mask, bool sizesHold, bool typedCells) {
    return {(mask & SQL_GD_ANY_COLUMN) != 0, (mask & SQL_GD_BLOCK) != 0, (mask & SQL_GD_BOUND) != 0,
            sizesHold, typedCells};
}

FetchedRows readRows(const OdbcStatement& statement, const std::vector<ResultColumn>& columns,
                     const GetDataAbilities& abilities, TServerCall& call) {
    return RowFetcher(statement, columns, abilities, call).run();
}

} // namespace velmora::ado
