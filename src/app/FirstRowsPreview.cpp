#include "FirstRowsPreview.h"

#include "DBGrid.h"
#include "ServerWait.h"

#include <QLocale>
#include <algorithm>

namespace ado = velmora::ado;

TFirstRowsPreview::TFirstRowsPreview(TDBGrid* Grid, ado::TDataSource* GridSource,
                                     std::function<void(const QString& Text)> ShowCounter,
                                     QObject* Parent)
    : QObject(Parent), FGrid(Grid), FGridSource(GridSource), FShowCounter(std::move(ShowCounter)) {
    FRowsSource.SetDataSet(&FRows);
    TServerWait& wait = ServerWait();
    connect(&wait, &TServerWait::FirstRowsArrived, this,
            [this](const std::shared_ptr<ado::TFirstRows>& Rows) { Show(Rows); });
    connect(&wait, &TServerWait::FirstRowsWithdrawn, this, [this] { Withdraw(); });
    connect(&wait, &TServerWait::ProgressChanged, this, [this] {
        if (FRows.Active())
            UpdateCounter();
    });
}

void TFirstRowsPreview::Expect() {
    FExpected = true;
}

void TFirstRowsPreview::Stop() {
    FExpected = false;
    Withdraw();
}

void TFirstRowsPreview::Show(const std::shared_ptr<ado::TFirstRows>& Rows) {
    if (!FExpected)
        return;
    ado::TRecordset recordset;
    recordset.open = true;
    recordset.columns = std::move(Rows->columns);
    recordset.rows = std::move(Rows->rows);
    const bool first = !FRows.Active();
    FRows.SetRecordset(std::move(recordset));
    if (first)
        FGrid->SetDataSource(&FRowsSource);
    UpdateCounter();
}

void TFirstRowsPreview::Withdraw() {
    if (!FRows.Active())
        return;
    FGrid->SetDataSource(FGridSource);
    FRows.Close();
}

void TFirstRowsPreview::UpdateCounter() {
    FShowCounter(CounterText(std::max<long>(ServerWait().RowsFetched(), FRows.RecordCount())));
}

QString TFirstRowsPreview::CounterText(long RowsSoFar) {
    return QString("1 of %1+ records")
        .arg(QLocale(QLocale::English).toString(static_cast<qlonglong>(RowsSoFar)));
}
