#pragma once
// Writes the last planning run to text files in the working directory: distanceTable.txt (every
// cell's position and distance), previousDistanceVertices.txt and previousEnergyVertices.txt (the
// two routes from the end cell back toward the start, the start itself left out).
//
// Each file is written under "<name>.tmp" and renamed over the old file only once it was written
// and closed without error, so a failed export never leaves a truncated file behind. A file that
// cannot be written is reported on stderr as "Error: could not write <name>" and skipped; the
// export goes on with the next file.

#include <string>

void exportRouteTables();

// The same three files into `folder` instead of the working directory. Returns true when all
// three were written.
bool exportRouteTablesInto(const std::string& folder);
