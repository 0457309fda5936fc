#include "planner/stepTable.h"

#include "planner/stepRules.h"
#include "terrain/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

StepCost stepCosts[STEP_KIND_LIMIT];
SweepCell sweepGrid[SWEEP_SIZE][SWEEP_SIZE];

namespace {

constexpr float NO_COST = std::numeric_limits<float>::infinity();

bool sameBits(const StepCost& a, const StepCost& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The kind holding exactly this cost, added when new.
uint32_t kindOf(const StepCost& cost, uint32_t& kindCount) {
    for (uint32_t kind = NO_STEP + 1; kind < kindCount; ++kind) {
        if (sameBits(stepCosts[kind], cost)) {
            return kind;
        }
    }
    if (kindCount == STEP_KIND_LIMIT) {
        std::fprintf(stderr, "Error: the terrain has more distinct steps than the planner holds\n");
        std::abort();
    }
    stepCosts[kindCount] = cost;
    return kindCount++;
}

void setKind(int x, int y, int d, uint32_t kind) {
    sweepGrid[x + 1][y + 1].stepKinds |= kind << (STEP_KIND_BITS * d);
}

// Prices the steps of the first half of the neighbour table; the second half is the same steps
// walked backwards, which the rules price alike (every difference enters through its magnitude).
void measureForwardSteps(int a, int b, float vehicleMass, uint32_t& kindCount) {
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
        const uint32_t kind = kindOf({length, stepEnergy(from.z, to.z, vehicleMass)}, kindCount);
        setKind(a, b, d, kind);
        setKind(nx, ny, oppositeNeighbour(d), kind);
    }
}

} // namespace

void buildStepTable() {
    for (auto& column : sweepGrid) {
        for (SweepCell& cell : column) {
            cell.stepKinds = NO_STEP;
            clearSweepCell(cell);
        }
    }
    stepCosts[NO_STEP] = {NO_COST, NO_COST};
    uint32_t kindCount = NO_STEP + 1;
    const float vehicleMass = settings.vehicleMass;
    for (int a = 0; a < GRID_SIZE; ++a) {
        for (int b = 0; b < GRID_SIZE; ++b) {
            measureForwardSteps(a, b, vehicleMass, kindCount);
        }
    }
}
