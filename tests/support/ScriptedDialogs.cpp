#include "ScriptedDialogs.h"

#include <QPrinter>
#include <gtest/gtest.h>

TScriptedDialogs::TScriptedDialogs() {
    SetDialogService(this);
}

TScriptedDialogs::~TScriptedDialogs() {
    SetDialogService(nullptr);
}

QMessageBox::StandardButton TScriptedDialogs::ShowMessageDlg(const QString& Msg,
                                                             TMsgDlgType DlgType,
                                                             QMessageBox::StandardButtons Buttons) {
    Messages.push_back({Msg, DlgType, Buttons});
    if (Buttons == QMessageBox::Ok)
        return QMessageBox::Ok;
    if (Answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << Msg.toStdString();
        return QMessageBox::Cancel;
    }
    const QMessageBox::StandardButton answer = Answers.front();
    Answers.pop_front();
    return answer;
}

bool TScriptedDialogs::ExecuteFileDialog(TFileDialog& Dialog) {
    FileDialogTitles.push_back(Dialog.Title);
    FileDialogsShown.push_back(Dialog);
    if (FileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << Dialog.Title.toStdString();
        return false;
    }
    const std::optional<QString> answer = FileAnswers.front();
    FileAnswers.pop_front();
    if (!answer)
        return false;
    Dialog.FileName = *answer;
    return true;
}

bool TScriptedDialogs::ExecutePrintDialog(QPrinter& Printer) {
    ++PrintDialogs;
    PrintDocNames << Printer.docName();
    PrintOutputFiles << Printer.outputFileName();
    if (PrintAnswers.empty()) {
        ADD_FAILURE() << "unexpected print dialog";
        return false;
    }
    const std::optional<QString> answer = PrintAnswers.front();
    PrintAnswers.pop_front();
    if (!answer)
        return false;
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(*answer);
    return true;
}
