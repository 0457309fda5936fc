#pragma once
// An orderly end on SIGTERM or SIGINT: the handler only raises a flag, and the event loop
// leaves at its next timer tick, so the program exits through main like a closed window.
// A second signal ends the process at once (the console dialogue may be waiting for input).

void installShutdownHandlers();
bool shutdownRequested();
