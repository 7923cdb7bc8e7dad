#include "TerminationSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int CaughtSignals[] = {SIGTERM, SIGHUP};

// The handler only writes the signal's number here; the window thread reads it.
int SignalPipe[2] = {-1, -1};

void OnSignal(int Signal) {
    const int saved = errno;
    const auto number = static_cast<unsigned char>(Signal);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &number, 1);
    errno = saved;
}

bool Ignored(int Signal) {
    struct sigaction current {};
    return ::sigaction(Signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

} // namespace

TTerminationSignals::TTerminationSignals(QObject* Parent) : QObject(Parent) {
    if (SignalPipe[0] >= 0)
        throw std::logic_error("The termination signals are caught already.");
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("Cannot watch for the termination signals.");
    FNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TTerminationSignals::ReadSignals);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : CaughtSignals)
        if (!Ignored(signal))
            ::sigaction(signal, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals() {
    for (const int signal : CaughtSignals)
        if (!Ignored(signal))
            std::signal(signal, SIG_DFL);
    delete FNotifier;
    ::close(SignalPipe[0]);
    ::close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
}

void TTerminationSignals::ReadSignals() {
    unsigned char number = 0;
    while (::read(SignalPipe[0], &number, 1) == 1)
        emit Received(number);
}

void EndBySignal(int Signal) {
    std::signal(Signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, Signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(Signal);
    std::_Exit(128 + Signal); // not reached: the default action of both signals ends the program
}
