#include "ServerWait.h"

#include "DatabaseError.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
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

// Lets the worker end the local loop, but only while the loop is still there.
class TWakeUp {
public:
    explicit TWakeUp(QEventLoop* Loop) : FLoop(Loop) {}
    void Quit() {
        const std::lock_guard lock(FMutex);
        if (FLoop != nullptr)
            QMetaObject::invokeMethod(FLoop, &QEventLoop::quit, Qt::QueuedConnection);
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

bool IsMenu(const QObject* Object) {
    return qobject_cast<const QMenu*>(Object) != nullptr ||
           qobject_cast<const QMenuBar*>(Object) != nullptr;
}

} // namespace

TServerWait::TServerWait(QObject* Parent) : QObject(Parent) {
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
    qApp->installEventFilter(this);
    FShowTimer.start(ShowAfterMs);
}

void TServerWait::End() {
    qApp->removeEventFilter(this);
    FShowTimer.stop();
    FProgressTimer.stop();
    FGiveUpTimer.stop();
    FCall.reset();
    FLoop = nullptr;
    if (!FShown)
        return;
    FShown = false;
    FShownText.clear();
    emit ProgressChanged({});
    emit BusyChanged(false);
}

void TServerWait::Show() {
    FShown = true;
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

void TServerWait::AddCancelControl(QWidget* Control) {
    FCancelControls.removeAll(nullptr);
    FCancelControls << Control;
}

bool TServerWait::IsCancelControl(const QWidget* Widget) const {
    for (const QPointer<QWidget>& control : FCancelControls)
        if (control != nullptr && (control == Widget || control->isAncestorOf(Widget)))
            return true;
    return false;
}

// Input reaches a window first and then its widget; the widget decides. Actions only ever get
// shortcuts, which wait until the call has ended.
bool TServerWait::eventFilter(QObject* Watched, QEvent* Event) {
    if (!Watched->isWidgetType())
        return Event->type() == QEvent::Shortcut;
    // Menus open once a call shows, so that the Cancel command can be chosen; the windows then
    // have every other command disabled.
    const bool menuInput = FShown && IsMenu(Watched);
    switch (Event->type()) {
    case QEvent::KeyPress: {
        if (menuInput)
            return false;
        const auto* key = static_cast<QKeyEvent*>(Event);
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat())
            Cancel();
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (IsCancelControl(static_cast<QWidget*>(Watched))) {
            Cancel();
            return true;
        }
        return !menuInput;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return !menuInput;
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    case QEvent::Close:
        // A window closed now would take the connection away from under the call.
        Event->ignore();
        return true;
    default:
        return false;
    }
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
