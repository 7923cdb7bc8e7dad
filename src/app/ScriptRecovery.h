#pragma once
// The recovery of unsaved scripts: while the script has changes that are in no file, its text is
// kept in the workspace's recovery folder, every few seconds when it changed (on a thread of its
// own) and when the program is told to end by a signal; a normal exit, Save, Open and New remove
// it. At the next start, a script left by a program that did not end normally is offered back.
#include "RecoveryFiles.h"
#include "RecoveryWriter.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>

class TfrmMain;

class TScriptRecovery final : public QObject {
    Q_OBJECT

public:
    // Keeps Window's script in Folder, looking every Interval whether it changed. The object goes
    // with the window.
    TScriptRecovery(TfrmMain& Window, const QString& Folder,
                    std::chrono::milliseconds Interval = std::chrono::seconds(3));
    // The script stays in the folder: only EndNormally removes it.
    ~TScriptRecovery() override;

    // "Recover the unsaved script from <time>?" for each script left by a program that is gone,
    // the newest first: Yes opens it as an unsaved script (the others wait for the next start),
    // No deletes it.
    void OfferLeftBehindScripts();
    // Hands the script to the writer when it changed since it was last kept.
    void Keep();
    // The same, and waits until it is on the disk.
    void KeepAndWait();
    // The user ended the program: nothing is left to recover. Also when the application quits.
    void EndNormally();
    // On SIGTERM or SIGHUP the script is kept, then the program ends as the signal says.
    void CatchTerminationSignals();

private:
    void ScriptEdited();
    void ScriptSettled();
    bool HasUnkeptChanges() const;
    void ReportWriteFailure();

    TfrmMain& FWindow;
    QString FFolder;
    velmora::files::TRecoveryFile FFile;
    velmora::files::TRecoveryWriter FWriter; // after the file it writes, so it stops first
    QTimer FTimer;
    std::uint64_t FEdits = 0;        // changes of the script's text so far
    std::uint64_t FSettledEdits = 0; // the count when its text was last in a file (or empty)
    std::uint64_t FKeptEdits = 0;    // the count when it was last handed to the writer
    bool FFileHoldsScript = false;   // a text was handed to the writer since the last removal
    QString FLastFailure;
};
