#include "planner/routeTables.h"

CostTable distanceTable;
CostTable energyTable;
PreviousTable previousDistanceVertices;
PreviousTable previousEnergyVertices;

void resetRouteTables(int startX, int startY) {
    const GridPoint none = {NO_PREVIOUS, NO_PREVIOUS, 0};
    for (int x = 0; x < GRID_SIZE; ++x) {
        for (int y = 0; y < GRID_SIZE; ++y) {
            distanceTable[x][y] = UNREACHED_COST;
            previousDistanceVertices[x][y] = none;
            energyTable[x][y] = UNREACHED_COST;
            previousEnergyVertices[x][y] = none;
        }
    }
    if (!isInsideGrid(startX, startY)) {
        return;
    }
    distanceTable[startX][startY] = 0.0f;
    energyTable[startX][startY] = 0.0f;
}

RouteTableSet processRouteTables() {
    return {distanceTable, energyTable, previousDistanceVertices, previousEnergyVertices};
}
