// The signal handlers. The window's raises the flag and wakes a waiting console read through a
// pipe, or during long work ends the process at once; the batch plan's removes the temporary
// file being written and lets the signal end the process.

#include "app/shutdown.h"

#include "io/fileReplace.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t requested = 0;
// The handler writes a byte here, so a wait for input wakes whichever thread took the signal.
int wakeRead = -1;
int wakeWrite = -1;
// How deep the event thread is in long work; read by the handler on whichever thread.
std::atomic<int> longWorkDepth{0};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

[[noreturn]] void endAtOnce() {
    removeTemporaryFile();
    _exit(WINDOW_END_STATUS);
}

void onSignal(int) {
    if (longWorkDepth.load() != 0) {
        endAtOnce();
    }
    const int savedErrno = errno;
    requested = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
    errno = savedErrno;
}

// A signal the user had ignored when the program started (nohup, or a script's background job)
// stays ignored: a handler would let it end a run the user meant to outlive it.
bool ignoredAtStart(int signalNumber) {
    struct sigaction current = {};
    return sigaction(signalNumber, nullptr, &current) == 0 &&
           (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN;
}

void install(int signalNumber) {
    if (ignoredAtStart(signalNumber)) {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted reads; the default action returns for a second signal.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signalNumber, &action, nullptr);
}

// Ends a batch plan at a signal: its temporary file goes, then the signal ends the process as
// it would have without a handler (the action is reset, and the raised signal arrives once the
// handler returns).
void onBatchSignal(int signalNumber) {
    removeTemporaryFile();
    raise(signalNumber);
}

// A reader of the console that goes away, or a file growing past the size limit, must not end
// the program: the write fails instead, is reported, and the file being replaced is kept.
void ignoreFailedWrites() {
    struct sigaction action = {};
    action.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &action, nullptr);
    sigaction(SIGXFSZ, &action, nullptr);
}

} // namespace

void installShutdownHandlers() {
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead = wake[0];
        wakeWrite = wake[1];
    }
    install(SIGTERM);
    install(SIGINT);
    ignoreFailedWrites();
    // A parent may have blocked them; they must still reach us.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

void installBatchSignalCleanup() {
    ignoreFailedWrites();
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signalNumber : RUN_ENDING_SIGNALS) {
        sigaddset(&signals, signalNumber);
    }
    struct sigaction action = {};
    action.sa_handler = onBatchSignal;
    action.sa_mask = signals;
    action.sa_flags = SA_RESETHAND;
    for (const int signalNumber : RUN_ENDING_SIGNALS) {
        if (!ignoredAtStart(signalNumber)) {
            sigaction(signalNumber, &action, nullptr);
        }
    }
    // A parent may have blocked them; they must still reach us.
    sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

LongWork::LongWork() {
    std::fflush(stdout);
    // Marked before the flag is read: a signal in between finds the mark.
    longWorkDepth.fetch_add(1);
    if (shutdownRequested()) {
        endAtOnce();
    }
}

LongWork::~LongWork() {
    longWorkDepth.fetch_sub(1);
}

bool shutdownRequested() {
    return requested != 0;
}

bool waitForInput(int fd) {
    // A negative descriptor is skipped by poll: without the handlers only the input counts.
    pollfd waits[] = {{fd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
    while (!shutdownRequested()) {
        const int ready = poll(waits, std::size(waits), -1);
        if (waits[0].revents != 0 || (ready < 0 && errno != EINTR)) {
            break;
        }
    }
    return !shutdownRequested();
}
