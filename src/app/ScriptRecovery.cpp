#include "ScriptRecovery.h"

#include "Dialogs.h"
#include "ErrorHandler.h"
#include "ScriptEditor.h"
#include "TerminationSignals.h"
#include "untMain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

using namespace velmora::files;

namespace {

std::string NativePath(const QString& Path) {
    return QFile::encodeName(Path).toStdString();
}

QString WrittenAt(const TLeftBehindScript& Script) {
    return QDateTime::fromSecsSinceEpoch(Script.WrittenAt()).toString("yyyy-MM-dd hh:mm:ss");
}

} // namespace

TScriptRecovery::TScriptRecovery(TfrmMain& Window, const QString& Folder,
                                 std::chrono::milliseconds Interval)
    : QObject(&Window), FWindow(Window), FFolder(Folder), FFile(NativePath(Folder)),
      FWriter(FFile) {
    connect(&Window, &TfrmMain::ScriptEdited, this, &TScriptRecovery::ScriptEdited);
    connect(&Window, &TfrmMain::ScriptSettled, this, &TScriptRecovery::ScriptSettled);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &TScriptRecovery::EndNormally);
    FTimer.setInterval(Interval);
    connect(&FTimer, &QTimer::timeout, this, Guarded([this] { Keep(); }));
    FTimer.start();
}

TScriptRecovery::~TScriptRecovery() = default;

void TScriptRecovery::OfferLeftBehindScripts() {
    std::vector<TLeftBehindScript> scripts;
    try {
        scripts = FindLeftBehindScripts(NativePath(FFolder));
    } catch (const std::exception& error) {
        FWindow.WriteLog("Recovery: " + QString::fromUtf8(error.what()));
        return;
    }
    for (TLeftBehindScript& script : scripts) {
        const QString question = "Recover the unsaved script from " + WrittenAt(script) + "?";
        if (Dialogs().MessageDlg(question, TMsgDlgType::mtWarning,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::No) {
            script.Delete();
            continue;
        }
        // Read in full first: a script that cannot be read stays where it is, for the user.
        const std::u32string text = script.Read();
        FWriter.Flush();
        FWindow.OpenUnsavedScript(text);
        // The file becomes this program's own, so the script is never without one.
        FFile.TakeOver(script);
        FKeptEdits = FEdits;
        FFileHoldsScript = true;
        return;
    }
}

bool TScriptRecovery::HasUnkeptChanges() const {
    return FEdits != FSettledEdits && FEdits != FKeptEdits;
}

void TScriptRecovery::Keep() {
    ReportWriteFailure();
    // A write still running takes the next text at the next look, not a queue of copies.
    if (!HasUnkeptChanges() || !FWriter.Idle())
        return;
    FWriter.Write(FWindow.SourceEdit1->CopyText());
    FKeptEdits = FEdits;
    FFileHoldsScript = true;
}

void TScriptRecovery::KeepAndWait() {
    FWriter.Flush();
    Keep();
    FWriter.Flush();
}

void TScriptRecovery::EndNormally() {
    FTimer.stop();
    FWriter.Flush();
    try {
        FFile.Close();
    } catch (const std::exception&) {
        // The program is ending; a recovery file it could not remove is offered at the next start.
    }
}

void TScriptRecovery::CatchTerminationSignals() {
    auto* termination = new TTerminationSignals(this);
    connect(termination, &TTerminationSignals::Received, this, [this](int Signal) {
        RunCommand([this] { KeepAndWait(); });
        EndBySignal(Signal);
    });
}

void TScriptRecovery::ScriptEdited() {
    ++FEdits;
}

void TScriptRecovery::ScriptSettled() {
    FSettledEdits = FEdits;
    if (FFileHoldsScript)
        FWriter.Remove();
    FFileHoldsScript = false;
}

void TScriptRecovery::ReportWriteFailure() {
    const std::optional<std::string> failure = FWriter.TakeError();
    if (!failure)
        return;
    const QString message = QString::fromUtf8(failure->c_str());
    if (message != FLastFailure)
        FWindow.WriteLog("Recovery: the unsaved script cannot be kept. " + message);
    FLastFailure = message;
}
