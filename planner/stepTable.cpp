#include "planner/stepTable.h"

#include "planner/stepRules.h"
#include "terrain/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

PlanningGrid planningGrid;

namespace {

constexpr float NO_COST = std::numeric_limits<float>::infinity();

bool sameBits(const StepCost& a, const StepCost& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The kind holding exactly this cost, added when new.
uint32_t kindOf(const StepCost& cost, PlanningGrid& grid, uint32_t& kindCount) {
    for (uint32_t kind = NO_STEP + 1; kind < kindCount; ++kind) {
        if (sameBits(grid.stepCosts[kind], cost)) {
            return kind;
        }
    }
    if (kindCount == STEP_KIND_LIMIT) {
        std::fprintf(stderr, "Error: the terrain has more distinct steps than the planner holds\n");
        std::abort();
    }
    grid.stepCosts[kindCount] = cost;
    return kindCount++;
}

void setKind(PlanningGrid& grid, int x, int y, int d, uint32_t kind) {
    grid.cells[x + 1][y + 1].stepKinds |= kind << (STEP_KIND_BITS * d);
}

// Prices the steps of the first half of the neighbour table; the second half is the same steps
// walked backwards, which the rules price alike (every difference enters through its magnitude).
void measureForwardSteps(const TerrainPositions& positions, int a, int b, float vehicleMass,
                         PlanningGrid& grid, uint32_t& kindCount) {
    const TerrainVertex& from = positions[a][b];
    for (int d = 0; d < NEIGHBOUR_COUNT / 2; ++d) {
        const NeighbourStep& step = NEIGHBOUR_STEPS[d];
        const int nx = a + step.dx;
        const int ny = b + step.dy;
        if (!isInsideGrid(nx, ny)) {
            continue;
        }
        const TerrainVertex& to = positions[nx][ny];
        const float length = segmentLength(from.x, to.x, from.y, to.y, from.z, to.z);
        if (!isPassable(step.multiplier, length)) {
            continue;
        }
        const uint32_t kind =
            kindOf({length, stepEnergy(from.z, to.z, vehicleMass)}, grid, kindCount);
        setKind(grid, a, b, d, kind);
        setKind(grid, nx, ny, oppositeNeighbour(d), kind);
    }
}

} // namespace

void buildPlanningGrid(const TerrainPositions& positions, float vehicleMass, PlanningGrid& grid) {
    for (auto& column : grid.cells) {
        for (SweepCell& cell : column) {
            cell.stepKinds = NO_STEP;
            cell.ground = 0;
            clearSweepCell(cell);
        }
    }
    grid.stepCosts[NO_STEP] = {NO_COST, NO_COST};
    uint32_t kindCount = NO_STEP + 1;
    for (int a = 0; a < GRID_SIZE; ++a) {
        for (int b = 0; b < GRID_SIZE; ++b) {
            grid.cells[a + 1][b + 1].ground = hasGround(positions[a][b]) ? 1 : 0;
            measureForwardSteps(positions, a, b, vehicleMass, grid, kindCount);
        }
    }
    for (int x = 0; x < SWEEP_SIZE; ++x) {
        for (int y = 0; y < SWEEP_SIZE; ++y) {
            grid.stepKinds[x * SWEEP_SIZE + y] = grid.cells[x][y].stepKinds;
        }
    }
}

void buildStepTable() {
    buildPlanningGrid(terrainVertices, settings.vehicleMass, planningGrid);
}
