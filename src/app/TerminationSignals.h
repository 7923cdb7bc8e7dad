#pragma once
// SIGTERM and SIGHUP (the session ends, the terminal closes, someone asks the program to stop)
// reach the window thread as a Qt signal, so that the program can keep what it must before it
// ends. One object at a time; a signal the program was started with ignored (nohup) stays
// ignored.
#include <QObject>

class QSocketNotifier;

class TTerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TTerminationSignals(QObject* Parent);
    // Gives the signals their default actions back.
    ~TTerminationSignals() override;

signals:
    void Received(int Signal);

private:
    void ReadSignals();

    QSocketNotifier* FNotifier = nullptr;
};

// Ends the program as Signal's default action does, so that whoever sent it sees it end by it.
[[noreturn]] void EndBySignal(int Signal);
