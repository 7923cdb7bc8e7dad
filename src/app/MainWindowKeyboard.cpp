// The window from the keyboard: F6 moves between the browser, the editor and the grid, Ctrl+Tab
// and Ctrl+Shift+Tab leave the editor (where Tab types a tab), F10 and Alt open the menu bar,
// Enter on a browser node opens it as a double-click does, and a node the arrow keys reach is
// remembered as a clicked one is.
#include "DBGrid.h"
#include "ErrorHandler.h"
#include "ScriptEditor.h"
#include "untMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

bool IsEnterKey(const QKeyEvent& Key) {
    return (Key.key() == Qt::Key_Return || Key.key() == Qt::Key_Enter) &&
           (Key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool Within(const QWidget* Control, const QWidget* Container) {
    return Control != nullptr && (Control == Container || Container->isAncestorOf(Control));
}

// The next control after From that Tab would reach, forwards or backwards.
QWidget* NextTabStop(QWidget* From, bool Forward) {
    for (QWidget* next = Forward ? From->nextInFocusChain() : From->previousInFocusChain();
         next != nullptr && next != From;
         next = Forward ? next->nextInFocusChain() : next->previousInFocusChain())
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled() &&
            next->window() == From->window())
            return next;
    return nullptr;
}

} // namespace

void TfrmMain::ConnectKeyboard() {
    auto* nextPane = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(nextPane, &QShortcut::activated, this, [this] { FocusNextPane(); });
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] { OpenMenuBar(); });
    // Alt pressed and let go with no other key opens the menu bar, wherever the focus is.
    qApp->installEventFilter(this);

    for (QTreeWidget* tree : {tvTablesViews, tvStoredProcedures}) {
        tree->installEventFilter(this);
        // However the node became the selected one, it is the one the generators work on.
        connect(tree, &QTreeWidget::itemSelectionChanged, this, Guarded([this, tree] {
                    if (!tree->hasFocus())
                        return;
                    if (tree == tvTablesViews)
                        tvTablesViewsClick();
                    else
                        tvStoredProceduresClick();
                }));
    }
}

void TfrmMain::FocusNextPane() {
    QWidget* focused = QApplication::focusWidget();
    QWidget* editor = SourceEdit1->Widget();
    QWidget* browser = PageControl1->currentWidget() == TabSheet2
                           ? static_cast<QWidget*>(tvStoredProcedures)
                           : static_cast<QWidget*>(tvTablesViews);
    QWidget* next = browser;
    if (Within(focused, PageControl1))
        next = editor;
    else if (Within(focused, editor))
        next = DBGrid1;
    next->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::OpenMenuBar() {
    const QList<QAction*> menus = menuBar()->actions();
    if (!menus.isEmpty())
        menuBar()->setActiveAction(menus.first());
}

void TfrmMain::LeaveEditor(bool Forward) {
    if (QWidget* next = NextTabStop(SourceEdit1->Widget(), Forward))
        next->setFocus(Forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool TfrmMain::eventFilter(QObject* Watched, QEvent* Event) {
    const QEvent::Type type = Event->type();
    // A key that a shortcut takes is seen only as its shortcut override.
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease ||
        type == QEvent::ShortcutOverride) {
        const auto* key = static_cast<const QKeyEvent*>(Event);
        // Only the Alt key itself, pressed alone, and only in this window.
        const bool alt = key->key() == Qt::Key_Alt && !key->isAutoRepeat();
        const QWidget* target = qobject_cast<const QWidget*>(Watched);
        if (type != QEvent::KeyRelease)
            FAltAlone = alt && (key->modifiers() & ~Qt::AltModifier) == Qt::NoModifier;
        else if (alt && FAltAlone && target != nullptr && target->window() == this) {
            FAltAlone = false;
            OpenMenuBar();
        }
    } else if (type == QEvent::MouseButtonPress) {
        FAltAlone = false;
    }
    if (type == QEvent::KeyPress && (Watched == tvTablesViews || Watched == tvStoredProcedures) &&
        IsEnterKey(*static_cast<const QKeyEvent*>(Event))) {
        if (Watched == tvTablesViews)
            RunCommand([this] { tvTablesViewsDblClick(); });
        else
            RunCommand([this] { tvStoredProceduresDblClick(); });
        return true;
    }
    return QMainWindow::eventFilter(Watched, Event);
}
