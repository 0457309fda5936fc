#pragma once
// Ring widths that suit the ground: on loaded ground the first plan's rings span the costs the
// start reaches, in round numbers, instead of the built-in ground's 1000 m, 50 000 J and 5 min.

#include "planner/routeTables.h"
#include "terrain/settings.h"

// Sets the ring width of each measure to the round width (oneTwoFiveAtLeast) at which the settings'
// ring count reaches just past the dearest cell `tables` reached (time in minutes, when the tables
// are timed); a measure with no rings or nothing reached past the start keeps its width.
void fitRingWidths(PlanSettings& s, const RouteTables& tables);
