#pragma once
// TDataSource: binds one dataset to the views that show it and passes on its notifications:
// data changes (another current record, changed rows, an edited field) and state changes
// (open, close, edit, insert).
#include "DataSet.h"

#include <functional>
#include <map>

namespace velmora::ado {

class TDataSource {
public:
    using TDataChangeEvent = std::function<void(TDataSource& sender, TDataChange change)>;
    using TStateChangeEvent = std::function<void(TDataSource& sender)>;
    using ListenerId = int;

    TDataSource() = default;
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TCustomADODataSet* DataSet() const { return dataSet_; }
    // Binding announces a state change and a data change.
    void SetDataSet(TCustomADODataSet* dataSet);
    TDataSetState State() const { return dataSet_ ? dataSet_->State() : dsInactive; }

    TDataChangeEvent OnDataChange;
    TStateChangeEvent OnStateChange;

    // Further listeners (the grid, the navigator) besides the two events.
    ListenerId AddListener(TDataChangeEvent onDataChange, TStateChangeEvent onStateChange);
    void RemoveListener(ListenerId id);

    // Called by the bound dataset.
    void DataChanged(TDataChange change);
    void StateChanged();
    void DataSetGone();

private:
    struct Listener {
        TDataChangeEvent onDataChange;
        TStateChangeEvent onStateChange;
    };
    TCustomADODataSet* dataSet_ = nullptr;
    std::map<ListenerId, Listener> listeners_;
    ListenerId nextId_ = 1;
};

} // namespace velmora::ado
