#pragma once
// The route and straight-line overlays; each also prints its report on the console.

// Least-distance route in blue, then its "DISTANCE DATA" report (or the unreachable message).
void drawDistanceRoute();

// Least-energy route in green, then its "ENERGY DATA" report (or the unreachable message).
void drawEnergyRoute();

// Straight line from the start to the end cell in cyan, then its length.
void drawStraightLine();
