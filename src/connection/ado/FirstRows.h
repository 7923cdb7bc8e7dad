#pragma once
// The first rows of a call's first result, handed across while the rest is still being read, so
// that a window can show them at once. The reader posts a copy after each of its first blocks;
// the window takes the newest copy whenever it is told one came. The rows the call hands over at
// its end are the reader's own, read to the end: a copy shows, and is never edited or counted.
#include "RecordStore.h"
#include "ResultColumns.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace velmora::ado {

struct TFirstRows {
    std::vector<ResultColumn> columns;
    RecordStore rows;
};

class TFirstRowsOutbox {
public:
    // Rows a window shows before the result is whole: more than any screen holds.
    static constexpr size_t shownRows = 1000;

    // Before the call runs: what the reader's thread calls after each post.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

    // For the reader. Whether its rows are still wanted: someone listens, this is the call's
    // first result, fewer than `shownRows` of it have been posted, and twice as many as were
    // have been read (so that copying costs no more than reading), or the result has ended.
    bool Wanted(size_t rowsRead, bool resultEnded) const;
    // Copies the first rows (at most `shownRows`) and tells the listener.
    void Post(const std::vector<ResultColumn>& columns, const RecordStore& rows);
    // The first result has been read: later results of the call post nothing.
    void Close() { closed_ = true; }

    // For the window, on any thread: the newest copy not yet taken, or null.
    std::unique_ptr<TFirstRows> Take();

private:
    std::function<void()> listener_;
    bool closed_ = false; // the reader's own
    size_t posted_ = 0;   // the reader's own
    std::mutex mutex_;
    std::unique_ptr<TFirstRows> newest_;
};

} // namespace velmora::ado
