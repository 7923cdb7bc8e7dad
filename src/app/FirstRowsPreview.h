#pragma once
// The first rows of a run, at once: while the run's first result is still being read, the rows
// read so far show in the main grid, read-only, and the record counter says how many have come
// ("1 of 350,000+ records"). When that call ends, the grid goes back to its own data source,
// which then holds the whole result (or the run's message), and the counter takes its usual form.
// Nothing reads the shown copy but the grid: what needs the result waits for the whole of it.
#include "Ado.h"

#include <QObject>
#include <functional>
#include <memory>

class TDBGrid;
namespace velmora::ado {
struct TFirstRows;
}

class TFirstRowsPreview final : public QObject {
public:
    // `ShowCounter` puts a text into the record counter.
    TFirstRowsPreview(TDBGrid* Grid, velmora::ado::TDataSource* GridSource,
                      std::function<void(const QString& Text)> ShowCounter, QObject* Parent);

    // A run starts: its first result's rows show as they come.
    void Expect();
    // The grid has the run's result, or the run has ended: nothing more is shown early.
    void Stop();

    // "1 of 350,000+ records"
    static QString CounterText(long RowsSoFar);

private:
    void Show(const std::shared_ptr<velmora::ado::TFirstRows>& Rows);
    void Withdraw();
    void UpdateCounter();

    TDBGrid* FGrid;
    velmora::ado::TDataSource* FGridSource;
    std::function<void(const QString& Text)> FShowCounter;
    velmora::ado::TADODataSet FRows{"FirstRows"};
    velmora::ado::TDataSource FRowsSource;
    bool FExpected = false;
};
