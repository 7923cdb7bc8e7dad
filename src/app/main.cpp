#include "ErrorHandler.h"
#include "untMain.h"

#include <QApplication>
#include <QCommandLineParser>

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

TfrmMain::TStartupConnection ParseCommandLine(const QApplication& App) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Velmora 2, a query tool for Microsoft SQL Server.");
    parser.addHelpOption();
    const QCommandLineOption connectionFile(
        "connect",
        "Connect through the connection file <file> of the current directory "
        "instead of asking in the connect dialog.",
        "file");
    const QCommandLineOption server("server", "Offer <name> as the server to connect to.", "name");
    parser.addOptions({connectionFile, server});
    parser.process(App);
    return {parser.value(connectionFile), parser.value(server)};
}

} // namespace

int main(int argc, char** argv) {
    TVelmoraApplication app(argc, argv);
    QApplication::setApplicationName("Velmora 2");
    const TfrmMain::TStartupConnection startup = ParseCommandLine(app);

    auto* window = new TfrmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->ConnectAtStartup(startup);
    window->ShowAtStartup();
    return QApplication::exec();
}
