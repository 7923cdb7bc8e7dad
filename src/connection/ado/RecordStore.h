#pragma once
// Compact in-memory storage of a result's rows. Each row is one block in a chunked arena: the
// end offset of every cell (16-bit, or 32-bit for rows of 32 KiB and more; the top bit marks a
// null), then the cells' bytes. The row index holds one pointer per row, so reading a cell is
// two loads and rows never move once written.
//
// Columns may keep their values in a native form (TypedCells.h). Rows written by editing hold
// every value as text, as the edit buffer does; a bit per row says which rows those are.
#include "TypedCells.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::ado {

// Collects the cells of one row before it is stored.
class RowBuilder {
public:
    explicit RowBuilder(size_t columns = 0) { ends_.reserve(columns); }

    void clear();
    void addNull();
    void addValue(std::string_view bytes);
    // Room for a cell of at most `maxBytes`; finishCell says how many were used.
    char* beginCell(size_t maxBytes);
    void finishCell(size_t usedBytes);

    bool isNull(size_t column) const;
    std::string_view value(size_t column) const;

private:
    friend class RecordStore;
    static constexpr uint32_t nullFlag = 0x80000000u;
    std::vector<uint32_t> ends_;
    // Grows and never shrinks, so that building rows does not clear memory again and again.
    std::string buffer_;
    size_t used_ = 0;
};

class RecordStore {
public:
    explicit RecordStore(size_t columns = 0, std::vector<CellFormat> formats = {});
    RecordStore(RecordStore&&) noexcept = default;
    RecordStore& operator=(RecordStore&&) noexcept = default;

    size_t columnCount() const { return columns_; }
    size_t rowCount() const { return rows_.size(); }

    bool isNull(size_t row, size_t column) const;
    // The cell's stored bytes (UTF-8 text, raw binary, or a native value); empty for a null.
    std::string_view value(size_t row, size_t column) const;
    // The cell as text (binary as its bytes): the stored bytes, or a native value written into
    // `scratch`, which the answer then points into.
    std::string_view text(size_t row, size_t column, std::string& scratch) const;
    void appendText(size_t row, size_t column, std::string& out) const;

    // A fetched row, native values in the typed columns.
    void appendRow(const RowBuilder& row);
    // Rows from editing: text in every column.
    void insertRow(size_t before, const RowBuilder& row);
    void replaceRow(size_t row, const RowBuilder& cells);
    void eraseRow(size_t row);
    // Copies a stored row into a builder as text (for editing it).
    void loadRow(size_t row, RowBuilder& cells) const;
    // A store of its own holding copies of the first `count` rows.
    RecordStore firstRows(size_t count) const;

    // Bytes held: the arena's chunks and the row index.
    size_t memoryUsage() const;

private:
    const char* store(const RowBuilder& row);
    size_t rowBytes(size_t row) const;
    char* allocate(size_t bytes);

    bool isNative(size_t row, size_t column) const;

    size_t columns_ = 0;
    std::vector<CellFormat> formats_; // empty: every column is text
    std::vector<const char*> rows_;
    std::vector<bool> textRows_; // by row, while some column is typed
    struct ChunkRelease {
        void operator()(char* chunk) const;
    };
    using Chunk = std::unique_ptr<char[], ChunkRelease>;

    std::vector<Chunk> chunks_;
    size_t chunkBytes_ = 0;
    char* free_ = nullptr;
    size_t freeBytes_ = 0;
    size_t allocatedBytes_ = 0;
};

} // namespace velmora::ado
