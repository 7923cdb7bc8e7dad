#include "CommandLine.h"
#include "ErrorHandler.h"
#include "ProgramIdentity.h"
#include "SafeFile.h"
#include "ScriptRecovery.h"
#include "Workspace.h"
#include "untMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

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

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int Finish(const TCommandLine& Command) {
    std::fputs(Command.Output.toLocal8Bit().constData(), stdout);
    std::fputs(Command.Error.toLocal8Bit().constData(), stderr);
    return *Command.ExitCode;
}

} // namespace

int main(int argc, char** argv) {
    // A save under a file size limit must fail with a message, not end the program.
    velmora::files::IgnoreFileSizeSignal();
    // --help and --version need no window, nor a display. A mistake on the line waits for the
    // application object, which takes Qt's own options (-platform, -style ...) off it first,
    // unless no window could open anyway.
    const TCommandLine early = ParseCommandLine(ArgumentsOf(argc, argv));
    if (early.ExitCode && (*early.ExitCode == 0 || !HasDisplay()))
        return Finish(early);

    TVelmoraApplication app(argc, argv);
    SetProgramIdentity();
    const TCommandLine command = ParseCommandLine(QCoreApplication::arguments());
    if (command.ExitCode)
        return Finish(command);
    const TProgramOptions& options = command.Options;
    // Named from where the program was started, before it moves into its workspace.
    const QString script =
        options.ScriptFile.isEmpty() ? QString() : QFileInfo(options.ScriptFile).absoluteFilePath();
    try {
        velmora::files::EnterWorkspace(WorkspaceFolderOf(options));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora2: %s\n", error.what());
        ShowGeneralError(error);
        return 1;
    }

    auto* window = new TfrmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* recovery = new TScriptRecovery(*window, QDir::current().filePath("recovery"));
    recovery->CatchTerminationSignals();
    window->ConnectAtStartup({options.ConnectionFile, options.Server});
    window->ShowAtStartup();
    RunCommand([recovery] { recovery->OfferLeftBehindScripts(); });
    if (!script.isEmpty())
        RunCommand([window, &script] { window->OpenScript(script); });
    return QApplication::exec();
}
