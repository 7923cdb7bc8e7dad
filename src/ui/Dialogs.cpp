#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
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

class TRealDialogs final : public TDialogService {
public:
    QMessageBox::StandardButton MessageDlg(const QString& Msg, TMsgDlgType DlgType,
                                           QMessageBox::StandardButtons Buttons) override {
        const TMessageKind kind = KindOf(DlgType);
        QMessageBox box(kind.Icon, kind.Caption, Msg, Buttons, QApplication::activeWindow());
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    bool ExecuteFileDialog(TFileDialog& Dialog) override {
        QFileDialog dialog(QApplication::activeWindow(), Dialog.Title);
        const bool open = Dialog.Kind == TFileDialog::TKind::Open;
        dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        const QStringList filters = QtNameFilters(Dialog.Filter);
        dialog.setNameFilters(filters);
        if (Dialog.FilterIndex > 0 && Dialog.FilterIndex < filters.size())
            dialog.selectNameFilter(filters[Dialog.FilterIndex]);
        dialog.setDefaultSuffix(Dialog.DefaultExt.startsWith("*") ? QString() : Dialog.DefaultExt);
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
