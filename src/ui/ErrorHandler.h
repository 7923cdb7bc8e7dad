#pragma once
// The application's general error handler: an error that no command catches is shown in an
// error box and the program goes on. Exceptions never cross Qt's event loop: commands run
// through RunCommand, which hands anything they throw to the handler.
#include <QString>
#include <exception>
#include <functional>

void ShowGeneralError(const QString& Message);
void ShowGeneralError(const std::exception& Error);

// Sees every error that reaches the handler, before its message is shown: the main window
// watches for a lost connection there. Empty sets none.
void SetGeneralErrorObserver(std::function<void(const std::exception&)> Observer);

void RunCommand(const std::function<void()>& Command);

// Wraps a command for connecting to a Qt signal.
template <typename F>
auto Guarded(F Command) {
    return [Command](auto&&...) { RunCommand(Command); };
}
