#include "ContextMenuShortcuts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

namespace {

QAction* FindInMenu(const QMenu& Menu, const QKeySequence& Keys) {
    for (QAction* action : Menu.actions()) {
        if (!action->isEnabled())
            continue;
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindInMenu(*sub, Keys))
                return found;
        } else if (!action->shortcut().isEmpty() && action->shortcut() == Keys) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

TContextMenuShortcuts::TContextMenuShortcuts(QObject* Parent) : QObject(Parent) {
    qApp->installEventFilter(this);
}

TContextMenuShortcuts::~TContextMenuShortcuts() {
    qApp->removeEventFilter(this);
}

void TContextMenuShortcuts::Register(QWidget* Control, QMenu* Menu) {
    FMenus.insert(Control, Menu);
}

QAction* TContextMenuShortcuts::ActionFor(const QKeyEvent& Event) const {
    const QKeySequence keys(
        QKeyCombination(Event.modifiers() & ~Qt::KeypadModifier, Qt::Key(Event.key())));
    for (const QWidget* control = QApplication::focusWidget(); control != nullptr;
         control = control->parentWidget()) {
        const QMenu* menu = FMenus.value(control);
        if (menu == nullptr)
            continue;
        if (QAction* action = FindInMenu(*menu, keys))
            return action;
    }
    return nullptr;
}

bool TContextMenuShortcuts::eventFilter(QObject* Watched, QEvent* Event) {
    const bool overrideAsked = Event->type() == QEvent::ShortcutOverride;
    if ((!overrideAsked && Event->type() != QEvent::KeyPress) ||
        Watched != QApplication::focusWidget())
        return false;
    QAction* action = ActionFor(*static_cast<QKeyEvent*>(Event));
    if (action == nullptr)
        return false;
    // Claiming the override keeps the window's shortcuts out; the key press then comes here.
    Event->accept();
    if (!overrideAsked)
        action->trigger();
    return true;
}
