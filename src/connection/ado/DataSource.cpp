#include "DataSource.h"

#include <algorithm>

namespace velmora::ado {

TDataSource::~TDataSource() {
    if (dataSet_)
        dataSet_->RemoveDataSource(this);
    for (TDataLink* link : links_)
        link->source_ = nullptr;
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

void TDataSource::DataChanged(TDataChange change) {
    if (OnDataChange)
        OnDataChange(*this, change);
    forEachLink([&](TDataLink& link) {
        if (link.OnDataChange)
            link.OnDataChange(*this, change);
    });
}

void TDataSource::StateChanged() {
    if (OnStateChange)
        OnStateChange(*this);
    forEachLink([&](TDataLink& link) {
        if (link.OnStateChange)
            link.OnStateChange(*this);
    });
}

// A handler may unlink a view (or link one) while the others are told: each link is checked
// against the current list before it is called.
void TDataSource::forEachLink(const std::function<void(TDataLink&)>& call) {
    for (TDataLink* link : std::vector(links_))
        if (std::find(links_.begin(), links_.end(), link) != links_.end())
            call(*link);
}

void TDataSource::DataSetGone() {
    dataSet_ = nullptr;
    StateChanged();
    DataChanged(TDataChange::Data);
}

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == source_)
        return;
    if (source_)
        std::erase(source_->links_, this);
    source_ = source;
    if (source_)
        source_->links_.push_back(this);
}

} // namespace velmora::ado
