#include "ServerWait.h"

#include "DatabaseError.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <functional>
#include <mutex>
#include <thread>

using velmora::ado::TServerCall;
using velmora::ado::TServerStage;
using velmora::ado::TServerWorker;

namespace {

// Short calls come and go without showing anything.
constexpr int ShowAfterMs = 200;
constexpr int ProgressEveryMs = 250;
constexpr int GiveUpAfterCancelMs = 2000;

// Lets the worker reach the window thread's local loop (to end it, or to have something done
// there), but only while the loop is still there.
class TWakeUp {
public:
    explicit TWakeUp(QEventLoop* Loop) : FLoop(Loop) {}
    void Quit() {
        const std::lock_guard lock(FMutex);
        if (FLoop != nullptr)
            QMetaObject::invokeMethod(FLoop, &QEventLoop::quit, Qt::QueuedConnection);
    }
    void Post(std::function<void()> Work) {
        const std::lock_guard lock(FMutex);
        if (FLoop != nullptr)
            QMetaObject::invokeMethod(FLoop, std::move(Work), Qt::QueuedConnection);
    }
    void Forget() {
        const std::lock_guard lock(FMutex);
        FLoop = nullptr;
    }

private:
    std::mutex FMutex;
    QEventLoop* FLoop;
};

// "0:03", "12:45", "1:02:03"
QString ElapsedText(qint64 Milliseconds) {
    const qint64 seconds = Milliseconds / 1000;
    const QString secondsOfMinute = QString(":%1").arg(seconds % 60, 2, 10, QChar('0'));
    if (seconds < 3600)
        return QString::number(seconds / 60) + secondsOfMinute;
    return QString("%1:%2").arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QChar('0')) +
           secondsOfMinute;
}

} // namespace

TServerWait::TServerWait(QObject* Parent) : QObject(Parent), FInput([this] { Cancel(); }) {
    FShowTimer.setSingleShot(true);
    FGiveUpTimer.setSingleShot(true);
    connect(&FShowTimer, &QTimer::timeout, this, [this] { Show(); });
    connect(&FProgressTimer, &QTimer::timeout, this, [this] { ShowProgress(); });
    connect(&FGiveUpTimer, &QTimer::timeout, this, [this] { GiveUp(); });
}

bool TServerWait::Wait(const std::shared_ptr<TServerCall>& Call) {
    if (Busy())
        throw velmora::ado::EDatabaseError("Another call is still waiting for the server.");
    QEventLoop loop;
    const auto wakeUp = std::make_shared<TWakeUp>(&loop);
    if (FWorker == nullptr)
        FWorker = std::make_unique<TServerWorker>();
    Call->FirstRows().SetListener([this, wakeUp, call = Call.get()] {
        wakeUp->Post([this, call] { PassOnFirstRows(call); });
    });
    FWorker->Start([Call, wakeUp] {
        Call->Run();
        wakeUp->Quit();
    });
    Begin(Call, loop);
    if (!Call->Finished())
        loop.exec();
    wakeUp->Forget();
    const bool finished = Call->Finished();
    if (finished)
        FWorker->WaitIdle();
    else
        FWorker.reset(); // it owns what it uses, and ends when the driver returns
    End();
    return finished;
}

void TServerWait::Begin(const std::shared_ptr<TServerCall>& Call, QEventLoop& Loop) {
    FCall = Call;
    FLoop = &Loop;
    FCancelRequested = false;
    FClock.start();
    FInput.Start();
    FShowTimer.start(ShowAfterMs);
}

void TServerWait::End() {
    FInput.Stop();
    FShowTimer.stop();
    FProgressTimer.stop();
    FGiveUpTimer.stop();
    FCall.reset();
    FLoop = nullptr;
    if (FFirstRowsPassedOn) {
        FFirstRowsPassedOn = false;
        emit FirstRowsWithdrawn();
    }
    if (!FShown)
        return;
    FShown = false;
    FShownText.clear();
    emit ProgressChanged({});
    emit BusyChanged(false);
}

void TServerWait::Show() {
    FShown = true;
    FInput.SetShown(true);
    emit BusyChanged(true);
    ShowProgress();
    FProgressTimer.start(ProgressEveryMs);
}

void TServerWait::ShowProgress() {
    const QString text = ProgressText();
    if (text == FShownText)
        return;
    FShownText = text;
    emit ProgressChanged(text);
}

QString TServerWait::ProgressText() const {
    const QString elapsed = ElapsedText(FClock.elapsed());
    if (FCancelRequested)
        return QString::fromUtf8("Cancelling… ") + elapsed;
    switch (FCall->Stage()) {
    case TServerStage::Connecting:
        return QString::fromUtf8("Connecting… ") + elapsed;
    case TServerStage::Executing:
        return QString::fromUtf8("Executing… ") + elapsed;
    case TServerStage::Fetching:
        return QString::fromUtf8("Fetching… ") + RowsText(FCall->RowsFetched());
    case TServerStage::Copying:
        return QString::fromUtf8("Copying… ") + RowsText(FCall->RowsFetched());
    }
    return {};
}

void TServerWait::Cancel() {
    if (!Busy())
        return;
    if (FCall->Stage() == TServerStage::Copying) {
        // The copy reads the window's own rows: it stops at its next row, and must not be left
        // running on rows that the window may then free.
        FCancelRequested = true;
        FCall->Cancel();
        if (FShown)
            ShowProgress();
        return;
    }
    if (FCancelRequested || FCall->Stage() == TServerStage::Connecting)
        return GiveUp();
    FCancelRequested = true;
    // The driver's SQLCancel may take its time; the window must not wait for it.
    std::thread([call = FCall] { call->Cancel(); }).detach();
    FGiveUpTimer.start(GiveUpAfterCancelMs);
    if (FShown)
        ShowProgress();
}

void TServerWait::GiveUp() {
    if (FLoop != nullptr)
        FLoop->quit();
}

void TServerWait::PassOnFirstRows(const TServerCall* Call) {
    if (FCall.get() != Call)
        return;
    std::shared_ptr<velmora::ado::TFirstRows> rows = FCall->FirstRows().Take();
    if (rows == nullptr)
        return; // a newer copy came, and went out with the last notice
    FFirstRowsPassedOn = true;
    emit FirstRowsArrived(rows);
}

void TServerWait::AddCancelControl(QWidget* Control) {
    FInput.AddCancelControl(Control);
}

TServerWait& ServerWait() {
    static QPointer<TServerWait> wait;
    if (wait == nullptr)
        wait = new TServerWait(QCoreApplication::instance());
    return *wait;
}

velmora::ado::TServerCallRunner WaitInWindows() {
    return [](const std::shared_ptr<TServerCall>& Call) { return ServerWait().Wait(Call); };
}

QLabel* NewServerWaitLabel(QWidget* Parent) {
    auto* label = new QLabel(Parent);
    label->setObjectName("lblServerWait");
    label->hide();
    QObject::connect(&ServerWait(), &TServerWait::ProgressChanged, label,
                     [label](const QString& Text) {
                         label->setText(Text);
                         label->setVisible(!Text.isEmpty());
                     });
    return label;
}

QString RowsText(long Rows) {
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(Rows)) +
           (Rows == 1 ? " row" : " rows");
}
