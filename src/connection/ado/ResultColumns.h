#pragma once
// The columns of a result as the driver describes them, with the field names they get.
#include "FieldTypes.h"
#include "OdbcHandles.h"

#include <string>
#include <vector>

namespace velmora::ado {

struct ResultColumn {
    std::string name;       // the field's name: the server's, made unique
    std::string serverName; // as the server gave it, possibly empty
    ColumnDescription description;
    DataTypeEnum adoType = adEmpty;
    TFieldType fieldType = ftUnknown;
    int size = 0;
    bool nullable = true;
    std::string baseTable; // where the driver says the column comes from
    std::string baseColumn;

    bool isBinary() const { return isBinaryType(fieldType); }
    bool isLong() const; // read whole with SQLGetData, never bound
};

std::vector<ResultColumn> describeResultColumns(const OdbcStatement& statement);

// Unnamed columns become "COLUMN<n>", repeated names "<name>_<n>", each with the smallest n
// from 1 up that gives a name not yet used (letter case does not count).
std::vector<std::string> uniqueFieldNames(const std::vector<std::string>& serverNames);

} // namespace velmora::ado
