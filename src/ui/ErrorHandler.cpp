#include "ErrorHandler.h"

#include "Cursor.h"
#include "Dialogs.h"

void ShowGeneralError(const QString& Message) {
    // A failing command may have left the hourglass on; the user must see the arrow again.
    SetArrowCursor();
    Dialogs().MessageDlg(Message, TMsgDlgType::mtError, QMessageBox::Ok);
}

void ShowGeneralError(const std::exception& Error) {
    ShowGeneralError(QString::fromUtf8(Error.what()));
}

void RunCommand(const std::function<void()>& Command) {
    try {
        Command();
    } catch (const std::exception& error) {
        ShowGeneralError(error);
    }
}
