#include "WaitInput.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <utility>

namespace {

bool IsMenu(const QObject* Object) {
    return qobject_cast<const QMenu*>(Object) != nullptr ||
           qobject_cast<const QMenuBar*>(Object) != nullptr;
}

} // namespace

TWaitInput::TWaitInput(std::function<void()> Cancel, QObject* Parent)
    : QObject(Parent), FCancel(std::move(Cancel)) {}

TWaitInput::~TWaitInput() {
    Stop();
}

void TWaitInput::Start() {
    if (FStarted)
        return;
    FStarted = true;
    qApp->installEventFilter(this);
}

void TWaitInput::Stop() {
    if (!FStarted)
        return;
    FStarted = false;
    FShown = false;
    qApp->removeEventFilter(this);
}

void TWaitInput::AddCancelControl(QWidget* Control) {
    FCancelControls.removeAll(nullptr);
    FCancelControls << Control;
}

bool TWaitInput::IsCancelControl(const QWidget* Widget) const {
    for (const QPointer<QWidget>& control : FCancelControls)
        if (control != nullptr && (control == Widget || control->isAncestorOf(Widget)))
            return true;
    return false;
}

// Input reaches a window first and then its widget; the widget decides. Actions only ever get
// shortcuts, which wait until the wait has ended.
bool TWaitInput::eventFilter(QObject* Watched, QEvent* Event) {
    if (!Watched->isWidgetType())
        return Event->type() == QEvent::Shortcut;
    const bool menuInput = FShown && IsMenu(Watched);
    switch (Event->type()) {
    case QEvent::KeyPress: {
        if (menuInput)
            return false;
        const auto* key = static_cast<QKeyEvent*>(Event);
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat())
            FCancel();
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (IsCancelControl(static_cast<QWidget*>(Watched))) {
            FCancel();
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
        // A window closed now would take away what the work uses.
        Event->ignore();
        return true;
    default:
        return false;
    }
}
