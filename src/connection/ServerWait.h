#pragma once
// The windows' wait for the server. A call that waits on the server runs on a worker thread
// while the window thread waits here, in a local event loop: windows paint and timers run,
// Escape and the cancel controls stop the call, and all other input is ignored until it ends. So
// a run stays one step for the command that started it, no second command can start, and no
// dataset, grid or tree is touched from two threads: the worker only reaches the driver.
//
// The worker thread is kept from call to call (see ServerWorker.h).
//
// A call's first rows are passed on while the call is still reading the rest (FirstRowsArrived),
// so that a window can show them at once; they are withdrawn when the call ends.
//
// Cancel asks the driver to stop the call; a call that has not ended two seconds later, or on a
// second Cancel, is given up, and its connection with it. A connect attempt is given up at once.
#include "ServerCall.h"
#include "ServerWorker.h"
#include "WaitInput.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class QEventLoop;
class QLabel;
class QWidget;

class TServerWait final : public QObject {
    Q_OBJECT

public:
    explicit TServerWait(QObject* Parent);

    // Runs the call on a worker thread; true when it finished, false when it was given up.
    bool Wait(const std::shared_ptr<velmora::ado::TServerCall>& Call);
    bool Busy() const { return FCall != nullptr; }
    // Rows the running call has read so far; 0 when none runs.
    long RowsFetched() const { return FCall ? FCall->RowsFetched() : 0; }
    // Stops the call that runs (see above); nothing when none does.
    void Cancel();
    // While a call runs, a press on the control (or inside it) cancels the call instead of doing
    // what the control does.
    void AddCancelControl(QWidget* Control);

signals:
    // A call has run long enough to be shown, or a shown call has ended: windows enable their
    // Cancel command and disable the others.
    void BusyChanged(bool Busy);
    // "Executing… 0:03", "Fetching… 350,000 rows", ...; empty when no call is shown.
    void ProgressChanged(const QString& Text);
    // The first rows of the running call's first result, a newer copy each time; the receiver
    // may take them over.
    void FirstRowsArrived(const std::shared_ptr<velmora::ado::TFirstRows>& Rows);
    // The call whose first rows came has ended: its whole result is handed over now, or its
    // error.
    void FirstRowsWithdrawn();

private:
    void Begin(const std::shared_ptr<velmora::ado::TServerCall>& Call, QEventLoop& Loop);
    void End();
    void Show();
    void ShowProgress();
    QString ProgressText() const;
    void GiveUp();
    void PassOnFirstRows(const velmora::ado::TServerCall* Call);

    std::unique_ptr<velmora::ado::TServerWorker> FWorker; // reused from call to call
    std::shared_ptr<velmora::ado::TServerCall> FCall;
    QEventLoop* FLoop = nullptr;
    QElapsedTimer FClock;
    bool FShown = false;
    bool FCancelRequested = false;
    bool FFirstRowsPassedOn = false;
    QString FShownText;
    QTimer FShowTimer;
    QTimer FProgressTimer;
    QTimer FGiveUpTimer;
    TWaitInput FInput;
};

// The program's one wait (made with the application object, which owns it).
TServerWait& ServerWait();
// A call runner for connections that windows wait on.
velmora::ado::TServerCallRunner WaitInWindows();
// A label that shows the progress of a call while one is shown, and is hidden otherwise.
QLabel* NewServerWaitLabel(QWidget* Parent);
// "1 row", "350,000 rows"
QString RowsText(long Rows);
