#pragma once
// Every message box and file dialog of the program goes through one replaceable service, so that
// tests can answer them without a user.
#include <QMessageBox>
#include <QString>
#include <memory>

class QPrinter;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// A file dialog component: its settings, and the file name it returns (and remembers for the
// next showing).
struct TFileDialog {
    enum class TKind { Open, Save };
    TKind Kind = TKind::Open;
    QString Title;
    QString Filter;     // "Description|mask|Description|mask..."
    QString DefaultExt; // added to a name typed without one; on Save dialogs only
    QString FileName;
    int FilterIndex = 0; // the filter offered first, and the one chosen (0-based)

    bool Execute(); // shows it through the dialog service; true when confirmed
};

// The print dialog component: the printer and the settings chosen in it, kept for the next
// showing.
class TPrintDialog {
public:
    TPrintDialog();
    ~TPrintDialog();
    TPrintDialog(const TPrintDialog&) = delete;
    TPrintDialog& operator=(const TPrintDialog&) = delete;

    QPrinter& Printer(); // made at the first use: finding the printers can take a while
    bool Execute();      // shows it through the dialog service; true when confirmed

private:
    std::unique_ptr<QPrinter> FPrinter;
};

class TDialogService {
public:
    virtual ~TDialogService() = default;
    // Shows Msg with every password in it masked: a message may quote a connection string.
    QMessageBox::StandardButton MessageDlg(const QString& Msg, TMsgDlgType DlgType,
                                           QMessageBox::StandardButtons Buttons);
    virtual bool ExecuteFileDialog(TFileDialog& Dialog) = 0;
    // Lets the user choose a printer (or a PDF file) and set Printer up for it.
    virtual bool ExecutePrintDialog(QPrinter& Printer) = 0;

protected:
    virtual QMessageBox::StandardButton ShowMessageDlg(const QString& Msg, TMsgDlgType DlgType,
                                                       QMessageBox::StandardButtons Buttons) = 0;
};

TDialogService& Dialogs();
// Installs a replacement (tests); nullptr restores the real dialogs. Not owned.
void SetDialogService(TDialogService* Service);

// "Desc (*.a)|*.a|All Files (*.*)|*.*" as a Qt name filter list.
QStringList QtNameFilters(const QString& Filter);
