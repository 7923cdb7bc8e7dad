#include "FirstRows.h"

#include <algorithm>

namespace velmora::ado {

bool TFirstRowsOutbox::Wanted(size_t rowsRead, bool resultEnded) const {
    return listener_ && !closed_ && posted_ < shownRows && rowsRead > posted_ &&
           (resultEnded || rowsRead >= 2 * posted_);
}

void TFirstRowsOutbox::Post(const std::vector<ResultColumn>& columns, const RecordStore& rows) {
    auto copy = std::make_unique<TFirstRows>();
    copy->columns = columns;
    copy->rows = rows.firstRows(std::min(rows.rowCount(), shownRows));
    posted_ = copy->rows.rowCount();
    {
        const std::lock_guard lock(mutex_);
        newest_ = std::move(copy);
    }
    if (listener_)
        listener_();
}

std::unique_ptr<TFirstRows> TFirstRowsOutbox::Take() {
    const std::lock_guard lock(mutex_);
    return std::move(newest_);
}

} // namespace velmora::ado
