#include "DataSource.h"

namespace velmora::ado {

TDataSource::~TDataSource() {
    if (dataSet_)
        dataSet_->RemoveDataSource(this);
}

void TDataSource::SetDataSet(TCustomADODataSet* dataSet) {
    if (dataSet == dataSet_)
        return;
    if (dataSet_)
        dataSet_->RemoveDataSource(this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->AddDataSource(this);
    StateChanged();
    DataChanged(TDataChange::Data);
}

TDataSource::ListenerId TDataSource::AddListener(TDataChangeEvent onDataChange,
                                                 TStateChangeEvent onStateChange) {
    const ListenerId id = nextId_++;
    listeners_[id] = {std::move(onDataChange), std::move(onStateChange)};
    return id;
}

void TDataSource::RemoveListener(ListenerId id) {
    listeners_.erase(id);
}

void TDataSource::DataChanged(TDataChange change) {
    if (OnDataChange)
        OnDataChange(*this, change);
    for (auto& [id, listener] : std::map(listeners_))
        if (listener.onDataChange)
            listener.onDataChange(*this, change);
}

void TDataSource::StateChanged() {
    if (OnStateChange)
        OnStateChange(*this);
    for (auto& [id, listener] : std::map(listeners_))
        if (listener.onStateChange)
            listener.onStateChange(*this);
}

void TDataSource::DataSetGone() {
    dataSet_ = nullptr;
    StateChanged();
    DataChanged(TDataChange::Data);
}

} // namespace velmora::ado
