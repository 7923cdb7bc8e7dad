#pragma once
// Which results the grid and the navigator may change.
#include "DataSet.h"

namespace velmora::query {

// Only a table opened whole is edited through the grid; a query's result is read-only, even
// when the driver could trace it back to one table.
bool IsEditableResult(ado::TCustomADODataSet& DataSet);

} // namespace velmora::query
