#pragma once
// An orderly end on SIGTERM or SIGINT: the handler only raises a flag, and the event loop
// leaves at its next timer tick, so the program exits through main like a closed window (during
// long work the handler ends the process itself: see LongWork).
// A wait for console input ends at the signal too (waitForInput, woken through a pipe whichever
// thread takes the signal), so the flag is seen in every state. A second signal ends the process
// at once. A console reader that goes away or a file past the size limit ends nothing: SIGPIPE
// and SIGXFSZ are ignored, so the write fails and is reported.

// The status the window ends with, through main or at a signal.
constexpr int WINDOW_END_STATUS = 0;

void installShutdownHandlers();

// Marks long work while it lives: a plan or pricing the steps on the event thread or beside it
// on the worker (the event thread holds one for as long as the worker's plan is under way), an
// export. The event loop cannot wait for such work to end before leaving (seconds, or minutes
// on a big grid), so a SIGTERM or SIGINT meanwhile ends the process from the handler, with
// WINDOW_END_STATUS, after removing a temporary file being written. Nothing is lost: the
// console's text is flushed when the work begins, a plan's tables would go at the end anyway,
// and a file being replaced is left as it was. A signal that came just before the work ends the
// process when it begins.
class LongWork {
  public:
    LongWork();
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;
};

// For a batch plan: SIGINT, SIGTERM or SIGHUP removes the temporary file being written and then
// ends the process with that signal's usual status; SIGPIPE and SIGXFSZ are ignored.
void installBatchSignalCleanup();
bool shutdownRequested();

// Waits until `fd` has input, its end or an error to report (true), or until a shutdown is
// requested, also by a signal that arrives during the wait (false).
bool waitForInput(int fd);
