#pragma once
// An orderly end on SIGTERM or SIGINT: the handler only raises a flag, and the event loop
// leaves at its next timer tick, so the program exits through main like a closed window.
// A wait for console input ends at the signal too (waitForInput, woken through a pipe whichever
// thread takes the signal), so the flag is seen in every state. A second signal ends the process
// at once. A console reader that goes away or a file past the size limit ends nothing: SIGPIPE
// and SIGXFSZ are ignored, so the write fails and is reported.

void installShutdownHandlers();

// For a batch plan: SIGINT, SIGTERM or SIGHUP removes the temporary file being written and then
// ends the process with that signal's usual status; SIGPIPE and SIGXFSZ are ignored.
void installBatchSignalCleanup();
bool shutdownRequested();

// Waits until `fd` has input, its end or an error to report (true), or until a shutdown is
// requested, also by a signal that arrives during the wait (false).
bool waitForInput(int fd);
