#pragma once
// File > Reopen: the scripts opened or saved last, the newest first, from the list the workspace
// keeps (recent.dat), so that every program working there sees the same list.
#include <QObject>
#include <QString>
#include <functional>

class QMenu;

class TReopenMenu final : public QObject {
    Q_OBJECT

public:
    // Menu is filled from the list whenever its parent menu, ParentMenu, is about to show;
    // choosing an entry calls Reopen with its path.
    TReopenMenu(QMenu* Menu, QMenu* ParentMenu, std::function<void(const QString&)> Reopen);

    // recent.dat in the workspace, the current directory.
    static QString ListPath();
    // Throw EFileError when the list cannot be read or written.
    static void Remember(const QString& FileName);
    static void Forget(const QString& FileName);

    // Reads the list into the menu: disabled when it is empty.
    void Fill();

private:
    QMenu* FMenu;
    std::function<void(const QString&)> FReopen;
};
