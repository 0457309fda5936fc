#pragma once
// Everything the first frame needs that depends only on the prepared ground and the start cell.

#include "app/landscapeRun.h"

struct Options;

// The run's mesh geometry, and its first plan from settings.startX/Y asked for: done on return
// before the window plans beside itself, under way beside it afterwards. Ground that prepareGround
// left unpriced (`priced` false) is priced beside the window first; then the console says what
// the ground became, as it does before the window for ground priced at once.
void prepareFirstScene(LandscapeRun& run, const Options& options, bool priced);

// The ground priced beside the window turned out to have no cell to start on, or no memory to
// price it: the one line has gone to standard error, and the window is to end with this status
// (0 while nothing was refused).
int groundRefusedStatus();
