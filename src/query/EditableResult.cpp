#include "EditableResult.h"

namespace velmora::query {

bool IsEditableResult(ado::TCustomADODataSet& DataSet) {
    return dynamic_cast<ado::TADOTable*>(&DataSet) != nullptr && DataSet.CanModify();
}

} // namespace velmora::query
