#pragma once
// Everything the first frame needs that depends only on the prepared ground and the start cell.

#include "app/landscapeRun.h"

// The run's mesh geometry and its route tables for settings.startX/Y.
void prepareFirstScene(LandscapeRun& run);
