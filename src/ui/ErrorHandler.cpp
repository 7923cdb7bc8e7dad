#include "ErrorHandler.h"

#include "Cursor.h"
#include "Dialogs.h"

void ShowGeneralError(const QString& Message) {
    // A failing command may have left the hourglass on; the user must see the arrow again.
    SetArrowCursor();
    Dialogs().MessageDlg(Message, TMsgDlgType::mtError, QMessageBox::Ok);
}

namespace {

std::function<void(const std::exception&)>& GeneralErrorObserver() {
    static std::function<void(const std::exception&)> observer;
    return observer;
}

} // namespace

void SetGeneralErrorObserver(std::function<void(const std::exception&)> Observer) {
    GeneralErrorObserver() = std::move(Observer);
}

void ShowGeneralError(const std::exception& Error) {
    if (GeneralErrorObserver())
        GeneralErrorObserver()(Error);
    ShowGeneralError(QString::fromUtf8(Error.what()));
}

void RunCommand(const std::function<void()>& Command) {
    try {
        Command();
    } catch (const std::exception& error) {
        ShowGeneralError(error);
    }
}
