#include "ReopenMenu.h"

#include "RecentFiles.h"

#include <QDir>
#include <QFile>
#include <QMenu>

using namespace velmora::files;

namespace {

std::string NativePath(const QString& Path) {
    return QFile::encodeName(Path).toStdString();
}

// "&1 /home/me/orders.sql": the number is the entry's key; an "&" of the path is shown as one.
QString Caption(int Number, const QString& FileName) {
    return QString("&%1 %2").arg(Number).arg(QString(FileName).replace("&", "&&"));
}

} // namespace

TReopenMenu::TReopenMenu(QMenu* Menu, QMenu* ParentMenu, std::function<void(const QString&)> Reopen)
    : QObject(Menu), FMenu(Menu), FReopen(std::move(Reopen)) {
    connect(ParentMenu, &QMenu::aboutToShow, this, &TReopenMenu::Fill);
}

QString TReopenMenu::ListPath() {
    return QDir::current().filePath("recent.dat");
}

void TReopenMenu::Remember(const QString& FileName) {
    RememberRecentFile(NativePath(ListPath()), NativePath(FileName));
}

void TReopenMenu::Forget(const QString& FileName) {
    ForgetRecentFile(NativePath(ListPath()), NativePath(FileName));
}

void TReopenMenu::Fill() {
    FMenu->clear();
    std::vector<std::string> paths;
    try {
        paths = ReadRecentFiles(NativePath(ListPath()));
    } catch (const std::exception& error) {
        // The menu says why it is empty rather than hiding the list's trouble.
        FMenu->addAction(QString::fromUtf8(error.what()))->setEnabled(false);
    }
    int number = 0;
    for (const std::string& path : paths) {
        const QString fileName = QFile::decodeName(QByteArray::fromStdString(path));
        connect(FMenu->addAction(Caption(++number, fileName)), &QAction::triggered, this,
                [this, fileName] { FReopen(fileName); });
    }
    FMenu->menuAction()->setEnabled(!FMenu->isEmpty());
}
