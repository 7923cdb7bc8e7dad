#include "RowWriter.h"

#include "Connection.h"
#include "ConnectionString.h"
#include "DatabaseError.h"

#include <algorithm>

namespace velmora::ado {

struct RowWriter::Statement {
    std::string sql;
    std::vector<TStatementValue> values;
};

namespace {

const char* const rowNotFound =
    "Row cannot be located for updating. Some values may have been changed since it was last read.";

std::vector<size_t> keyFieldsOf(const std::vector<std::string>& primaryKey,
                                const TUpdateTarget& target,
                                const std::vector<ResultColumn>& columns) {
    std::vector<size_t> fields;
    for (const std::string& keyColumn : primaryKey) {
        const auto found =
            std::find_if(target.baseColumns.begin(), target.baseColumns.end(),
                         [&](const std::string& base) { return sameKey(base, keyColumn); });
        if (found == target.baseColumns.end()) {
            fields.clear(); // the key is not all there: fall back to every value
            break;
        }
        fields.push_back(static_cast<size_t>(found - target.baseColumns.begin()));
    }
    if (!fields.empty())
        return fields;
    for (size_t field = 0; field < columns.size(); ++field)
        if (!target.baseColumns[field].empty() && !columns[field].isLong())
            fields.push_back(field);
    return fields;
}

} // namespace

RowWriter::RowWriter(TADOConnection& connection, TUpdateTarget target,
                     const std::vector<ResultColumn>& columns)
    : connection_(connection), target_(std::move(target)), columns_(columns),
      keyFields_(keyFieldsOf(connection.PrimaryKeyColumns(target_.table), target_, columns)) {}

void RowWriter::addValue(Statement& statement, const RowBuilder& row, size_t field) const {
    const ResultColumn& column = columns_[field];
    statement.values.push_back(
        {row.isNull(field), column.isBinary(), std::string(row.value(field)), column.description});
}

void RowWriter::appendWhere(Statement& statement, const RowBuilder& original) const {
    if (keyFields_.empty())
        throw EDatabaseError("The table \"" + target_.table + "\" has no column to find a row by.");
    std::string where;
    for (size_t field : keyFields_) {
        where += where.empty() ? " WHERE " : " AND ";
        where += connection_.QuoteIdentifier(target_.baseColumns[field]);
        if (original.isNull(field)) {
            where += " IS NULL";
            continue;
        }
        where += " = ?";
        addValue(statement, original, field);
    }
    statement.sql += where;
}

void RowWriter::runSingleRow(const Statement& statement) const {
    connection_.RunInTransaction([&] {
        const long count = connection_.ExecuteWithValues(statement.sql, statement.values);
        if (count == 0)
            throw EDatabaseError(rowNotFound);
        if (count > 1)
            throw EDatabaseError(std::to_string(count) +
                                 " rows match the record, so none of them was changed.");
    });
}

void RowWriter::update(const RowBuilder& original, const RowBuilder& edited,
                       const std::vector<bool>& modified) const {
    Statement statement{"UPDATE " + connection_.QuoteTableName(target_.table) + " SET ", {}};
    bool any = false;
    for (size_t field = 0; field < columns_.size(); ++field) {
        if (!modified[field] || target_.baseColumns[field].empty())
            continue;
        statement.sql +=
            (any ? ", " : "") + connection_.QuoteIdentifier(target_.baseColumns[field]) + " = ?";
        addValue(statement, edited, field);
        any = true;
    }
    if (!any)
        return;
    appendWhere(statement, original);
    runSingleRow(statement);
}

void RowWriter::insert(const RowBuilder& row) const {
    std::string names;
    std::string marks;
    Statement statement;
    for (size_t field = 0; field < columns_.size(); ++field) {
        // A null leaves the column to its default (an identity, say).
        if (row.isNull(field) || target_.baseColumns[field].empty())
            continue;
        names +=
            (names.empty() ? "" : ", ") + connection_.QuoteIdentifier(target_.baseColumns[field]);
        marks += marks.empty() ? "?" : ", ?";
        addValue(statement, row, field);
    }
    const std::string table = connection_.QuoteTableName(target_.table);
    statement.sql = names.empty()
                        ? "INSERT INTO " + table + " DEFAULT VALUES"
                        : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
    connection_.RunInTransaction(
        [&] { connection_.ExecuteWithValues(statement.sql, statement.values); });
}

void RowWriter::remove(const RowBuilder& original) const {
    Statement statement{"DELETE FROM " + connection_.QuoteTableName(target_.table), {}};
    appendWhere(statement, original);
    runSingleRow(statement);
}

} // namespace velmora::ado
