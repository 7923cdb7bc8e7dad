#include "PrintJob.h"

#include "SafeFile.h"
#include "ScriptPrinter.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

using velmora::files::TNewFileMode;
using velmora::files::TReplacementFile;

namespace {

// A short job comes and goes without showing anything; a long one takes the window's events
// often enough for it to stay responsive.
constexpr int ShowAfterMs = 200;
constexpr int EventsEveryMs = 20;

// Why a print into a file failed once the file was made: only its writing can have failed.
const char* const NotWrittenInFull =
    "Not all of it could be written: the disk may be full, or the file would exceed the size "
    "limit. An old file of that name is left as it was.";

[[noreturn]] void PrintingFailed(const QPrinter& Printer, const QString& Destination,
                                 const QString& Reason = {}) {
    const QString where = Destination.isEmpty() ? QString("on \"%1\"").arg(Printer.printerName())
                                                : QString("to file \"%1\"").arg(Destination);
    const QString message = QString("Cannot print %1.").arg(where);
    throw std::runtime_error((Reason.isEmpty() ? message : message + " " + Reason).toStdString());
}

// A PDF file ends with "startxref", the offset of its cross-reference table and "%%EOF". A file
// cut short (a full disk, the size limit) lacks that end; a file that lost a piece on the way
// has no table where its end says.
bool IsCompletePdf(const QString& Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 32 || file.read(5) != "%PDF-")
        return false;
    constexpr qint64 tailBytes = 64;
    const qint64 tailAt = std::max<qint64>(0, file.size() - tailBytes);
    if (!file.seek(tailAt))
        return false;
    static const QRegularExpression end(R"(startxref\s+(\d+)\s+%%EOF\s*$)");
    const QRegularExpressionMatch match = end.match(QString::fromLatin1(file.read(tailBytes)));
    if (!match.hasMatch())
        return false;
    const qint64 table = match.captured(1).toLongLong();
    return table < file.size() && file.seek(table) && file.read(4) == "xref";
}

// A PDF printer whose file once failed to write keeps failing (its engine's stream stays in
// error): every PDF job gets a printer of its own, set up as the one chosen in the dialog.
void SetUpLike(QPrinter& Printer, const QPrinter& Chosen) {
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setResolution(Chosen.resolution());
    Printer.setPageLayout(Chosen.pageLayout());
    Printer.setFullPage(Chosen.fullPage());
    Printer.setColorMode(Chosen.colorMode());
    Printer.setPdfVersion(Chosen.pdfVersion());
    Printer.setDocName(Chosen.docName());
    Printer.setCreator(Chosen.creator());
}

} // namespace

TPrintJob::TPrintJob(QPrinter& Printer, TStyledScript Script, QString Title, QObject* Parent)
    : QObject(Parent), FPrinter(Printer), FScript(std::move(Script)), FTitle(std::move(Title)),
      FInput([this] { Cancel(); }) {}

TPrintJob::TOutcome TPrintJob::Run() {
    const QString destination = FPrinter.outputFileName();
    FClock.start();
    FSinceEvents.start();
    FInput.Start();
    struct TEnd {
        TPrintJob& Job;
        ~TEnd() { Job.End(); }
    } end{*this};
    if (destination.isEmpty())
        return Print(FPrinter, destination);

    // The engine writes the file it is named: it gets the new file, on a printer of its own.
    TReplacementFile file(QFile::encodeName(destination).toStdString(), TNewFileMode::nfmShared);
    QPrinter printer(QPrinter::HighResolution);
    SetUpLike(printer, FPrinter);
    printer.setOutputFileName(QFile::decodeName(file.TemporaryPath().c_str()));
    const TOutcome outcome = Print(printer, destination);
    if (outcome != TOutcome::poPrinted)
        return outcome; // the new file goes with the job
    if (!IsCompletePdf(QFile::decodeName(file.TemporaryPath().c_str())))
        PrintingFailed(FPrinter, destination, NotWrittenInFull);
    file.Commit();
    return outcome;
}

TPrintJob::TOutcome TPrintJob::Print(QPrinter& Printer, const QString& Destination) {
    TScriptPrinter printer(Printer, FScript, FTitle);
    if (!printer.Begin())
        PrintingFailed(Printer, Destination);
    TScriptPrinter::TStep step = TScriptPrinter::TStep::tsMore;
    try {
        while (step == TScriptPrinter::TStep::tsMore) {
            step = printer.Step();
            TakeEvents(printer);
            if (FCancelRequested) {
                const bool dropped = printer.Abort();
                return dropped || !Destination.isEmpty() ? TOutcome::poCancelled
                                                         : TOutcome::poCancelledPartway;
            }
        }
    } catch (...) {
        printer.Abort();
        throw;
    }
    const QString reason = Destination.isEmpty() ? QString() : QString(NotWrittenInFull);
    if (step == TScriptPrinter::TStep::tsFailed) {
        printer.Abort();
        PrintingFailed(Printer, Destination, reason);
    }
    if (!printer.End())
        PrintingFailed(Printer, Destination, reason);
    return TOutcome::poPrinted;
}

void TPrintJob::TakeEvents(const TScriptPrinter& Printer) {
    if (FSinceEvents.elapsed() < EventsEveryMs)
        return;
    if (!FShown && FClock.elapsed() >= ShowAfterMs) {
        FShown = true;
        FInput.SetShown(true);
        emit BusyChanged(true);
    }
    if (FShown)
        emit ProgressChanged(
            Printer.Pages() == 0
                ? QString::fromUtf8("Printing… counting pages, %1%")
                      .arg(100LL * Printer.LinesCounted() / std::max(1, Printer.LineCount()))
                : QString::fromUtf8("Printing… page %1 of %2")
                      .arg(Printer.PagesPrinted())
                      .arg(Printer.Pages()));
    QCoreApplication::processEvents();
    FSinceEvents.restart();
}

void TPrintJob::End() {
    FInput.Stop();
    if (!FShown)
        return;
    FShown = false;
    emit ProgressChanged({});
    emit BusyChanged(false);
}
