#pragma once
// Everything the first frame needs that depends only on the prepared ground and the start cell.

#include "app/landscapeRun.h"

// The run's mesh geometry, and its first plan from settings.startX/Y asked for: done on return
// before the window plans beside itself, under way beside it afterwards.
void prepareFirstScene(LandscapeRun& run);
