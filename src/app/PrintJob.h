#pragma once
// A print job the windows wait on. The script is printed page by page from the window's event
// loop: windows paint between the pages, the status says "Printing… page n of m", and Escape,
// the Cancel command and the cancel button stop the job; all other input waits until it ends. A
// PDF file is printed into a new file beside it that takes its place only once the job is
// complete and the file is checked, so that a cancelled or failed print leaves an old file as it
// was.
#include "StyledScript.h"
#include "WaitInput.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QPrinter;
class TScriptPrinter;
class QWidget;

class TPrintJob final : public QObject {
    Q_OBJECT

public:
    enum class TOutcome {
        poPrinted,
        poCancelled,        // nothing reached the printer or the file
        poCancelledPartway, // the printer kept the pages it had been sent
    };

    TPrintJob(QPrinter& Printer, TStyledScript Script, QString Title, QObject* Parent = nullptr);

    // While the job runs, a press on the control stops it.
    void AddCancelControl(QWidget* Control) { FInput.AddCancelControl(Control); }
    // Prints the script to the end or until it is cancelled. Throws std::runtime_error when the
    // printer or the file fails.
    TOutcome Run();
    // Stops the job after the step that is being taken.
    void Cancel() { FCancelRequested = true; }

signals:
    // The job has run long enough to be shown, or a shown job has ended: windows enable their
    // Cancel command and disable the others.
    void BusyChanged(bool Busy);
    // "Printing… page 3 of 40"; empty when no job is shown.
    void ProgressChanged(const QString& Text);

private:
    TOutcome Print(QPrinter& Printer, const QString& Destination);
    void TakeEvents(const TScriptPrinter& Printer);
    void End();

    QPrinter& FPrinter;
    TStyledScript FScript;
    QString FTitle;
    TWaitInput FInput;
    QElapsedTimer FClock;
    QElapsedTimer FSinceEvents;
    bool FShown = false;
    bool FCancelRequested = false;
};
