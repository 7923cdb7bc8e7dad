#pragma once
// A table's field as the templates see it: what the data layer reports for one column.
#include <string>
#include <vector>

namespace velmora::sqlgen {

struct TTableField {
    std::string Name;
    std::string TypeName; // the field type's name, e.g. "String", "AutoInc", "BCD"
    int Size = 0;         // as the data layer reports it (the scale for decimal types)
    // What the type name leaves open, for choosing the SQL type of names the mapping table lacks.
    int Precision = 0;        // digits of a number column; 0 for others, or when unknown
    bool Unicode = false;     // characters kept as Unicode (nchar, nvarchar, ntext)
    bool FixedLength = false; // padded to its size (char, nchar, binary)
};

// In the order of the table's columns.
using TFieldList = std::vector<TTableField>;

} // namespace velmora::sqlgen
