// A program that keeps its script for recovery as Velmora 2 does, for the tests that kill it:
//   recovering_program FOLDER INTERVAL-MS TEXT [exit]
// It types TEXT as an unsaved script, says "ready" on standard output and runs until it is
// killed; with "exit" it then leaves as a user does, through File > Exit, answering Yes to "Exit
// Now?" and No to "Save current script?".
#include "Dialogs.h"
#include "ScriptEditor.h"
#include "ScriptRecovery.h"
#include "untMain.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

class TLeavingUser final : public TDialogService {
public:
    QMessageBox::StandardButton ShowMessageDlg(const QString& Msg, TMsgDlgType,
                                               QMessageBox::StandardButtons Buttons) override {
        if (Msg == "Exit Now?")
            return QMessageBox::Yes;
        return Buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
    bool ExecuteFileDialog(TFileDialog&) override { return false; }
    bool ExecutePrintDialog(QPrinter&) override { return false; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: recovering_program FOLDER INTERVAL-MS TEXT [exit]\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TLeavingUser user;
    SetDialogService(&user);

    auto* window = new TfrmMain;
    auto* recovery = new TScriptRecovery(*window, QString::fromLocal8Bit(argv[1]),
                                         std::chrono::milliseconds(std::atoi(argv[2])));
    recovery->CatchTerminationSignals();
    window->SourceEdit1->SetText(QString::fromUtf8(argv[3]));
    std::puts("ready");
    std::fflush(stdout);
    if (argc > 4 && std::strcmp(argv[4], "exit") == 0)
        QTimer::singleShot(0, window, [window] { window->Exit1->trigger(); });
    const int status = QApplication::exec();
    SetDialogService(nullptr);
    return status;
}
