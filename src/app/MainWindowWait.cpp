// While the window waits for the server: the elapsed time or the rows fetched in the status bar,
// the Cancel command (Actions menu, toolbar, Escape), and every other command disabled.
#include "ServerWait.h"
#include "StatusBar.h"
#include "untMain.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace {

// The commands of the menu and its submenus.
QList<QAction*> MenuCommands(const QList<QAction*>& Items) {
    QList<QAction*> commands;
    for (QAction* item : Items)
        if (item->menu() != nullptr)
            commands << MenuCommands(item->menu()->actions());
        else if (!item->isSeparator())
            commands << item;
    return commands;
}

} // namespace

void TfrmMain::ConnectServerWait() {
    ToolButton10->setDefaultAction(Cancel1);
    StatusBar1->addPermanentWidget(NewServerWaitLabel(StatusBar1));
    TServerWait& wait = ServerWait();
    wait.AddCancelControl(ToolButton10);
    connect(Cancel1, &QAction::triggered, this, [] { ServerWait().Cancel(); });
    connect(&wait, &TServerWait::BusyChanged, this, [this](bool Busy) { WaitBusyChanged(Busy); });
}

void TfrmMain::WaitBusyChanged(bool Busy) {
    Cancel1->setEnabled(Busy);
    if (!Busy) {
        for (const QPointer<QAction>& command : std::as_const(FDisabledWhileWaiting))
            if (command != nullptr)
                command->setEnabled(true);
        FDisabledWhileWaiting.clear();
        return;
    }
    for (QAction* command : MenuCommands(menuBar()->actions()))
        if (command != Cancel1 && command->isEnabled()) {
            command->setEnabled(false);
            FDisabledWhileWaiting << command;
        }
}
