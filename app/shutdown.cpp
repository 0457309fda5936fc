#include "app/shutdown.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;

void onSignal(int) {
    requested = 1;
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
}

bool shutdownRequested() {
    return requested != 0;
}
