#include "app/shutdown.h"

#include <cerrno>
#include <csignal>
#include <poll.h>

namespace {

volatile std::sig_atomic_t requested = 0;

void onSignal(int) {
    requested = 1;
}

sigset_t shutdownSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

void install(int signalNumber) {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted reads; the default action returns for a second signal.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

void installShutdownHandlers() {
    install(SIGTERM);
    install(SIGINT);
    // A parent may have blocked them; they must still reach us.
    const sigset_t signals = shutdownSignals();
    sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

bool shutdownRequested() {
    return requested != 0;
}

bool waitForInput(int fd) {
    // The signals stay blocked between the flag test and the wait and are let in only inside
    // ppoll, so one arriving just before the wait still ends it.
    const sigset_t signals = shutdownSignals();
    sigset_t during;
    sigprocmask(SIG_BLOCK, &signals, &during);
    sigdelset(&during, SIGTERM);
    sigdelset(&during, SIGINT);
    pollfd input{fd, POLLIN, 0};
    while (!shutdownRequested()) {
        const int ready = ppoll(&input, 1, nullptr, &during);
        if (ready > 0 || (ready < 0 && errno != EINTR)) {
            break;
        }
    }
    sigprocmask(SIG_UNBLOCK, &signals, nullptr);
    return !shutdownRequested();
}
