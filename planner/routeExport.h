#pragma once
// Writes the last planning run to text files in the working directory: distanceTable.txt,
// previousDistanceVertices.txt and previousEnergyVertices.txt.

void exportRouteTables();
