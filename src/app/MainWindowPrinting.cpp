// File > Print: the print dialog, the file it proposes, and the job the window waits on.
#include "PrintJob.h"
#include "ScriptEditor.h"
#include "StatusBar.h"
#include "untMain.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QToolButton>

namespace {

QString PrintedText(const QPrinter& Printer) {
    return Printer.outputFileName().isEmpty()
               ? QString("Printed on \"%1\".").arg(Printer.printerName())
               : QString("Printed to \"%1\".").arg(Printer.outputFileName());
}

QString CancelledText(TPrintJob::TOutcome Outcome) {
    return Outcome == TPrintJob::TOutcome::poCancelled
               ? QString("Printing cancelled.")
               : QString("Printing cancelled; the printer keeps the pages it was sent.");
}

} // namespace

void TfrmMain::Print1Click() {
    QPrinter& printer = PrintDialog1.Printer();
    ProposePrintFile(printer);
    if (!PrintDialog1.Execute())
        return;
    const QString title =
        ScriptFileName.isEmpty() ? QString("Untitled") : QFileInfo(ScriptFileName).fileName();
    TPrintJob job(printer, SourceEdit1->StyledScript(), title);
    job.AddCancelControl(ToolButton10);
    connect(Cancel1, &QAction::triggered, &job, &TPrintJob::Cancel);
    connect(&job, &TPrintJob::BusyChanged, this, [this](bool Busy) { WaitBusyChanged(Busy); });
    connect(&job, &TPrintJob::ProgressChanged, this,
            [this](const QString& Text) { StatusBar1->SetPanelText(3, Text); });
    const TPrintJob::TOutcome outcome = job.Run();
    StatusBar1->SetPanelText(3, outcome == TPrintJob::TOutcome::poPrinted ? PrintedText(printer)
                                                                          : CancelledText(outcome));
}

void TfrmMain::ProposePrintFile(QPrinter& Printer) const {
    // The print dialog names the PDF file it proposes after the printer's job name; a PDF file
    // chosen before for another script gives its folder, and the name becomes this script's.
    const QString name =
        ScriptFileName.isEmpty() ? QString() : QFileInfo(ScriptFileName).fileName();
    const bool otherScript = Printer.docName() != name;
    Printer.setDocName(name);
    if (!otherScript || name.isEmpty() || Printer.outputFormat() != QPrinter::PdfFormat ||
        Printer.outputFileName().isEmpty())
        return;
    const QDir folder = QFileInfo(Printer.outputFileName()).dir();
    Printer.setOutputFileName(folder.filePath(QFileInfo(name).completeBaseName() + ".pdf"));
}
