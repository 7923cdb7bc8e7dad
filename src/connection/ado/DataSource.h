#pragma once
// TDataSource: binds one dataset to the views that show it and passes on its notifications:
// data changes (another current record, changed rows, an edited field) and state changes
// (open, close, edit, insert). Views hear it through a TDataLink.
#include "DataSet.h"

#include <functional>
#include <vector>

namespace velmora::ado {

class TDataLink;

class TDataSource {
public:
    using TDataChangeEvent = std::function<void(TDataSource& sender, TDataChange change)>;
    using TStateChangeEvent = std::function<void(TDataSource& sender)>;

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

    // Called by the bound dataset.
    void DataChanged(TDataChange change);
    void StateChanged();
    void DataSetGone();

private:
    friend class TDataLink;
    void forEachLink(const std::function<void(TDataLink&)>& call);

    TCustomADODataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> links_;
};

// A view's tie to a data source. Whichever of the two goes first ends the tie, so that neither
// ever calls into an object that is gone, whatever order their owners destroy them in.
class TDataLink {
public:
    TDataLink() = default;
    ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    // The source's dataset; null without a source or a dataset.
    TCustomADODataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }
    // A dataset is bound and open.
    bool Active() const { return DataSet() != nullptr && DataSet()->Active(); }

    TDataSource::TDataChangeEvent OnDataChange;
    TDataSource::TStateChangeEvent OnStateChange;

private:
    friend class TDataSource;
    TDataSource* source_ = nullptr;
};

} // namespace velmora::ado
