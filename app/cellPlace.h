#pragma once
// Where a cell lies on the loaded ground, for the panel's cell under the cursor.

#include <string>

// The centre of cell (x, y) in the ground's working coordinates (metres), then its longitude
// and latitude when the ground has a coordinate system; one fact a line.
std::string cellPlaceReport(int x, int y);
