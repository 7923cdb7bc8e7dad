#include "RecordStore.h"

#include "DatabaseError.h"
#include "HugePages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace velmora::ado {

namespace {

constexpr size_t minimumChunkBytes = 64 * 1024;
constexpr size_t maximumChunkBytes = 4 * 1024 * 1024;
constexpr uint16_t narrowNull = 0x8000;
constexpr uint16_t wideMarker = 0xFFFF;
// Narrow rows keep their offsets below the null bit and never start with the wide marker.
constexpr size_t narrowLimit = 0x7FFF;
constexpr uint32_t wideNull = 0x80000000u;
constexpr size_t wideLimit = 0x7FFFFFFF;

struct CellBounds {
    uint32_t begin;
    uint32_t end;
    bool null;
};

bool isWide(const char* row) {
    uint16_t first;
    std::memcpy(&first, row, sizeof first);
    return first == wideMarker;
}

size_t headerBytes(size_t columns, bool wide) {
    return wide ? sizeof(uint32_t) * (columns + 1) : sizeof(uint16_t) * columns;
}

uint32_t rawEnd(const char* row, size_t column, bool wide) {
    if (wide) {
        uint32_t end;
        std::memcpy(&end, row + sizeof(uint32_t) * (column + 1), sizeof end);
        return end;
    }
    uint16_t end;
    std::memcpy(&end, row + sizeof(uint16_t) * column, sizeof end);
    return end;
}

CellBounds cellBounds(const char* row, size_t column) {
    const bool wide = isWide(row);
    const uint32_t nullBit = wide ? wideNull : narrowNull;
    const uint32_t end = rawEnd(row, column, wide);
    const uint32_t begin = column == 0 ? 0 : rawEnd(row, column - 1, wide) & ~nullBit;
    return {begin, end & ~nullBit, (end & nullBit) != 0};
}

const char* cellData(const char* row, size_t columns) {
    return row + headerBytes(columns, isWide(row));
}

// Memory for a chunk, not cleared. From a huge page's size on, it is rounded up to whole huge
// pages and aligned to them, and the system is asked to back it with huge pages: filling a
// million rows otherwise takes tens of thousands of page faults, which cost more than the copying.
char* newChunk(size_t& bytes) {
    if (bytes < HugePageBytes) {
        if (void* chunk = std::malloc(bytes))
            return static_cast<char*>(chunk);
        throw std::bad_alloc();
    }
    bytes = (bytes + HugePageBytes - 1) / HugePageBytes * HugePageBytes;
    void* chunk = std::aligned_alloc(HugePageBytes, bytes);
    if (!chunk)
        throw std::bad_alloc();
    AdviseHugePages(chunk, bytes);
    return static_cast<char*>(chunk);
}

} // namespace

void RecordStore::ChunkRelease::operator()(char* chunk) const {
    std::free(chunk);
}

void RowBuilder::clear() {
    ends_.clear();
    used_ = 0;
}

void RowBuilder::addNull() {
    ends_.push_back(static_cast<uint32_t>(used_) | nullFlag);
}

void RowBuilder::addValue(std::string_view bytes) {
    std::memcpy(beginCell(bytes.size()), bytes.data(), bytes.size());
    finishCell(bytes.size());
}

char* RowBuilder::beginCell(size_t maxBytes) {
    if (used_ + maxBytes > wideLimit)
        throw EDatabaseError("A row of the result is larger than 2 GB and cannot be held");
    if (buffer_.size() < used_ + maxBytes)
        buffer_.resize(std::max(used_ + maxBytes, buffer_.size() * 2));
    return buffer_.data() + used_;
}

void RowBuilder::finishCell(size_t usedBytes) {
    used_ += usedBytes;
    ends_.push_back(static_cast<uint32_t>(used_));
}

bool RowBuilder::isNull(size_t column) const {
    return (ends_[column] & nullFlag) != 0;
}

std::string_view RowBuilder::value(size_t column) const {
    const uint32_t begin = column == 0 ? 0 : ends_[column - 1] & ~nullFlag;
    const uint32_t end = ends_[column] & ~nullFlag;
    return std::string_view(buffer_).substr(begin, end - begin);
}

RecordStore::RecordStore(size_t columns, std::vector<CellFormat> formats) : columns_(columns) {
    if (std::any_of(formats.begin(), formats.end(), [](CellFormat f) { return f.typed(); }))
        formats_ = std::move(formats);
}

bool RecordStore::isNative(size_t row, size_t column) const {
    return !formats_.empty() && formats_[column].typed() && !textRows_[row];
}

std::string_view RecordStore::text(size_t row, size_t column, std::string& scratch) const {
    if (!isNative(row, column))
        return value(row, column);
    scratch.clear();
    appendTypedText(formats_[column], value(row, column), scratch);
    return scratch;
}

void RecordStore::appendText(size_t row, size_t column, std::string& out) const {
    if (isNative(row, column))
        appendTypedText(formats_[column], value(row, column), out);
    else
        out += value(row, column);
}

bool RecordStore::isNull(size_t row, size_t column) const {
    return cellBounds(rows_[row], column).null;
}

std::string_view RecordStore::value(size_t row, size_t column) const {
    const char* data = rows_[row];
    const CellBounds bounds = cellBounds(data, column);
    return {cellData(data, columns_) + bounds.begin, bounds.end - bounds.begin};
}

void RecordStore::appendRow(const RowBuilder& row) {
    rows_.push_back(store(row));
    if (!formats_.empty())
        textRows_.push_back(false);
}

void RecordStore::insertRow(size_t before, const RowBuilder& row) {
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(before), store(row));
    if (!formats_.empty())
        textRows_.insert(textRows_.begin() + static_cast<std::ptrdiff_t>(before), true);
}

// The old block stays in the arena until the store goes: edits are rare next to reading.
void RecordStore::replaceRow(size_t row, const RowBuilder& cells) {
    rows_[row] = store(cells);
    if (!formats_.empty())
        textRows_[row] = true;
}

void RecordStore::eraseRow(size_t row) {
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    if (!formats_.empty())
        textRows_.erase(textRows_.begin() + static_cast<std::ptrdiff_t>(row));
}

void RecordStore::loadRow(size_t row, RowBuilder& cells) const {
    cells.clear();
    std::string scratch;
    for (size_t column = 0; column < columns_; ++column) {
        if (isNull(row, column))
            cells.addNull();
        else
            cells.addValue(text(row, column, scratch));
    }
}

RecordStore RecordStore::firstRows(size_t count) const {
    RecordStore copy(columns_, formats_);
    copy.rows_.reserve(count);
    for (size_t row = 0; row < count; ++row) {
        const size_t bytes = rowBytes(row);
        char* block = copy.allocate(bytes);
        std::memcpy(block, rows_[row], bytes);
        copy.rows_.push_back(block);
    }
    if (!formats_.empty())
        copy.textRows_.assign(textRows_.begin(),
                              textRows_.begin() + static_cast<std::ptrdiff_t>(count));
    return copy;
}

size_t RecordStore::rowBytes(size_t row) const {
    if (columns_ == 0)
        return 0;
    const char* data = rows_[row];
    return headerBytes(columns_, isWide(data)) + cellBounds(data, columns_ - 1).end;
}

size_t RecordStore::memoryUsage() const {
    return allocatedBytes_ + rows_.capacity() * sizeof(const char*) +
           chunks_.capacity() * sizeof(Chunk) + textRows_.capacity() / 8;
}

const char* RecordStore::store(const RowBuilder& row) {
    if (row.ends_.size() != columns_)
        throw EDatabaseError("A row does not have the result's number of columns");
    const bool wide = row.used_ >= narrowLimit;
    const size_t header = headerBytes(columns_, wide);
    char* block = allocate(header + row.used_);
    if (wide) {
        const uint32_t marker = wideMarker;
        std::memcpy(block, &marker, sizeof marker);
        std::memcpy(block + sizeof(uint32_t), row.ends_.data(), sizeof(uint32_t) * columns_);
    } else {
        for (size_t column = 0; column < columns_; ++column) {
            const uint32_t end = row.ends_[column];
            const auto narrow = static_cast<uint16_t>(
                (end & ~RowBuilder::nullFlag) | ((end & RowBuilder::nullFlag) ? narrowNull : 0));
            std::memcpy(block + sizeof(uint16_t) * column, &narrow, sizeof narrow);
        }
    }
    if (row.used_ > 0)
        std::memcpy(block + header, row.buffer_.data(), row.used_);
    return block;
}

char* RecordStore::allocate(size_t bytes) {
    bytes = bytes == 0 ? 1 : bytes;
    if (bytes > freeBytes_) {
        // Chunks grow with the data so that small results stay small and large ones take
        // few allocations; a row larger than a chunk gets a block of its own.
        chunkBytes_ = std::min(std::max(minimumChunkBytes, allocatedBytes_ / 4), maximumChunkBytes);
        size_t size = std::max(chunkBytes_, bytes);
        chunks_.push_back(Chunk(newChunk(size)));
        allocatedBytes_ += size;
        if (size == bytes)
            return chunks_.back().get();
        free_ = chunks_.back().get();
        freeBytes_ = size;
    }
    char* block = free_;
    free_ += bytes;
    freeBytes_ -= bytes;
    return block;
}

} // namespace velmora::ado
