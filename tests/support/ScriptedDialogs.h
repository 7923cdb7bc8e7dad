#pragma once
// Answers the program's message boxes and file dialogs in tests, and records what was asked.
// A question (a box with more than an OK button) or a file dialog that the test did not
// expect fails the test.
#include "Dialogs.h"

#include <deque>
#include <optional>
#include <vector>

class TScriptedDialogs final : public TDialogService {
public:
    struct TMessage {
        QString Text;
        TMsgDlgType DlgType;
        QMessageBox::StandardButtons Buttons;
    };

    TScriptedDialogs();
    ~TScriptedDialogs() override;
    TScriptedDialogs(const TScriptedDialogs&) = delete;
    TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

    QMessageBox::StandardButton ShowMessageDlg(const QString& Msg, TMsgDlgType DlgType,
                                               QMessageBox::StandardButtons Buttons) override;
    bool ExecuteFileDialog(TFileDialog& Dialog) override;
    // Prints into the PDF file the test answers with.
    bool ExecutePrintDialog(QPrinter& Printer) override;

    std::vector<TMessage> Messages;
    QStringList FileDialogTitles;
    std::vector<TFileDialog> FileDialogsShown; // each as it was when shown
    std::deque<QMessageBox::StandardButton> Answers;
    std::deque<std::optional<QString>> FileAnswers; // nullopt cancels the dialog
    int PrintDialogs = 0;
    std::deque<std::optional<QString>> PrintAnswers; // a PDF file to print into; nullopt cancels
    // What each print dialog was shown with: the printer's job name, from which the dialog
    // makes the PDF file name it proposes, and the output file already chosen, if any.
    QStringList PrintDocNames;
    QStringList PrintOutputFiles;
};
