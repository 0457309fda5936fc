#pragma once
// The two routes of the last planning run with their totals, as the batch plan hands them on.

#include "io/routeGeoJson.h"
#include "terrain/settings.h"

#include <vector>

// The least-distance route, then the least-energy route, from s.startX/Y to s.endX/Y, read
// from the route tables. A route's own measure is its end cell's cost, as the window reports
// it; the other is summed step by step along the route (in float, from the start). Miles and
// gallons follow from the length at s.speedMph.
std::vector<RouteFeature> plannedRoutes(const Settings& s);
