#include "planner/stepTable.h"

#include "planner/stepRules.h"
#include "terrain/settings.h"

#include <limits>

CellSteps stepTable[GRID_SIZE][GRID_SIZE];

namespace {

constexpr float NO_STEP = std::numeric_limits<float>::infinity();

// Measures the steps of the first half of the neighbour table; the second half is the same steps
// walked backwards, which the rules price alike (every difference enters through its magnitude).
void measureForwardSteps(int a, int b, float vehicleMass) {
    const TerrainVertex& from = terrainVertices[a][b];
    for (int d = 0; d < NEIGHBOUR_COUNT / 2; ++d) {
        const NeighbourStep& step = NEIGHBOUR_STEPS[d];
        const int nx = a + step.dx;
        const int ny = b + step.dy;
        if (!isInsideGrid(nx, ny)) {
            continue;
        }
        const TerrainVertex& to = terrainVertices[nx][ny];
        const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
        if (!isPassable(step.multiplier, length)) {
            continue;
        }
        const float energy = stepEnergy(from.z, to.z, vehicleMass);
        const int back = oppositeNeighbour(d);
        stepTable[a][b].length[d] = length;
        stepTable[a][b].energy[d] = energy;
        stepTable[nx][ny].length[back] = length;
        stepTable[nx][ny].energy[back] = energy;
    }
}

} // namespace

void buildStepTable() {
    for (auto& column : stepTable) {
        for (CellSteps& cell : column) {
            for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
                cell.length[d] = NO_STEP;
                cell.energy[d] = NO_STEP;
            }
        }
    }
    const float vehicleMass = settings.vehicleMass;
    for (int a = 0; a < GRID_SIZE; ++a) {
        for (int b = 0; b < GRID_SIZE; ++b) {
            measureForwardSteps(a, b, vehicleMass);
        }
    }
}
