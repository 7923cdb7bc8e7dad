#include "Dialogs.h"

#include "ShownText.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

namespace {

struct TMessageKind {
    const char* Caption;
    QMessageBox::Icon Icon;
};

TMessageKind KindOf(TMsgDlgType DlgType) {
    switch (DlgType) {
    case TMsgDlgType::mtWarning:
        return {"Warning", QMessageBox::Warning};
    case TMsgDlgType::mtError:
        return {"Error", QMessageBox::Critical};
    case TMsgDlgType::mtInformation:
        return {"Information", QMessageBox::Information};
    case TMsgDlgType::mtConfirmation:
        return {"Confirm", QMessageBox::Question};
    }
    return {"", QMessageBox::NoIcon};
}

// On Linux "*.*" would hide files without an extension; "All Files" must show them all.
QString QtMask(QString Mask) {
    Mask.replace(';', ' ');
    return Mask == "*.*" ? QString("*") : Mask;
}

// Icons and type names from what the file system records of a file (a folder, a file, its
// name), never from its content. Qt's own provider reads files to guess their type, on the window
// thread too, and a file such as /proc/kmsg blocks that read for good.
class TNameOnlyIconProvider final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType Type) const override { return FStyleIcons.icon(Type); }
    QIcon icon(const QFileInfo& Info) const override {
        return FStyleIcons.icon(Info.isRoot() ? Drive : Info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& Info) const override {
        if (Info.isRoot())
            return "Drive";
        if (Info.isDir())
            return "Folder";
        const QString suffix = Info.suffix();
        return suffix.isEmpty() ? QString("File") : suffix + " File";
    }

private:
    QFileIconProvider FStyleIcons; // its icons by kind come from the style, not from files
};

class TRealDialogs final : public TDialogService {
public:
    QMessageBox::StandardButton ShowMessageDlg(const QString& Msg, TMsgDlgType DlgType,
                                               QMessageBox::StandardButtons Buttons) override {
        const TMessageKind kind = KindOf(DlgType);
        QMessageBox box(kind.Icon, kind.Caption, Msg, Buttons, QApplication::activeWindow());
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    bool ExecuteFileDialog(TFileDialog& Dialog) override {
        TNameOnlyIconProvider icons; // outlives the dialog, which does not own it
        QFileDialog dialog(QApplication::activeWindow(), Dialog.Title);
        dialog.setIconProvider(&icons);
        const bool open = Dialog.Kind == TFileDialog::TKind::Open;
        dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        const QStringList filters = QtNameFilters(Dialog.Filter);
        dialog.setNameFilters(filters);
        if (Dialog.FilterIndex > 0 && Dialog.FilterIndex < filters.size())
            dialog.selectNameFilter(filters[Dialog.FilterIndex]);
        // Only a name being saved gets the suffix: a file to open is taken by its name as typed,
        // which need not hold a ".".
        if (!open && !Dialog.DefaultExt.startsWith("*"))
            dialog.setDefaultSuffix(Dialog.DefaultExt);
        if (!Dialog.FileName.isEmpty())
            dialog.selectFile(Dialog.FileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        Dialog.FileName = dialog.selectedFiles().front();
        Dialog.FilterIndex = std::max<int>(filters.indexOf(dialog.selectedNameFilter()), 0);
        return true;
    }

    bool ExecutePrintDialog(QPrinter& Printer) override {
        QPrintDialog dialog(&Printer, QApplication::activeWindow());
        return dialog.exec() == QDialog::Accepted;
    }
};

TRealDialogs RealDialogs;
TDialogService* Current = &RealDialogs;

} // namespace

QMessageBox::StandardButton TDialogService::MessageDlg(const QString& Msg, TMsgDlgType DlgType,
                                                       QMessageBox::StandardButtons Buttons) {
    return ShowMessageDlg(ShownText(Msg), DlgType, Buttons);
}

TDialogService& Dialogs() {
    return *Current;
}

void SetDialogService(TDialogService* Service) {
    Current = Service != nullptr ? Service : &RealDialogs;
}

bool TFileDialog::Execute() {
    return Dialogs().ExecuteFileDialog(*this);
}

TPrintDialog::TPrintDialog() = default;
TPrintDialog::~TPrintDialog() = default;

QPrinter& TPrintDialog::Printer() {
    if (!FPrinter)
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *FPrinter;
}

bool TPrintDialog::Execute() {
    return Dialogs().ExecutePrintDialog(Printer());
}

QStringList QtNameFilters(const QString& Filter) {
    const QStringList parts = Filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i];
        const QString mask = QtMask(parts[i + 1]);
        const qsizetype open = description.lastIndexOf('(');
        const QString name = open > 0 ? description.left(open).trimmed() : description;
        filters << QString("%1 (%2)").arg(name, mask);
    }
    return filters;
}
