#pragma once
// Writes an edited, inserted or deleted record back to its table. A row is found by its primary
// key or, without one, by every original non-blob value; a change that would touch any other
// number of rows than one is rolled back and reported.
#include "RecordStore.h"
#include "ResultColumns.h"

#include <string>
#include <vector>

namespace velmora::ado {

class TADOConnection;

struct TUpdateTarget {
    std::string table;
    std::vector<std::string> baseColumns; // per field; empty: the field is not written
};

class RowWriter {
public:
    RowWriter(TADOConnection& connection, TUpdateTarget target,
              const std::vector<ResultColumn>& columns);

    void update(const RowBuilder& original, const RowBuilder& edited,
                const std::vector<bool>& modified) const;
    void insert(const RowBuilder& row) const;
    void remove(const RowBuilder& original) const;

private:
    struct Statement;
    void appendWhere(Statement& statement, const RowBuilder& original) const;
    void runSingleRow(const Statement& statement) const;
    void addValue(Statement& statement, const RowBuilder& row, size_t field) const;

    TADOConnection& connection_;
    TUpdateTarget target_;
    const std::vector<ResultColumn>& columns_;
    std::vector<size_t> keyFields_;
};

} // namespace velmora::ado
