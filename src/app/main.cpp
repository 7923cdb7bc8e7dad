#include "ErrorHandler.h"
#include "untMain.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

namespace {

// A last line of defence: an exception that escaped a command's own guard must not cross the
// event loop; it goes to the general error handler like any other.
class TVelmoraApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* Receiver, QEvent* Event) override {
        try {
            return QApplication::notify(Receiver, Event);
        } catch (const std::exception& error) {
            ShowGeneralError(error);
            return false;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    TVelmoraApplication app(argc, argv);
    QApplication::setApplicationName("Velmora 2");
    QApplication::setApplicationDisplayName("Velmora 2");

    auto* window = new TfrmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->ConnectAtStartup();
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    window->setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, QSize(1010, 739), screen));
    window->showMaximized();
    return QApplication::exec();
}
