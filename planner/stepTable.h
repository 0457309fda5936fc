#pragma once
// Per-neighbour step data of one terrain and vehicle mass, computed once so that both planners
// only add, compare and store, and the working grid the sweep runs on.
//
// Whole-metre heights leave few distinct steps: a passable step climbs 0, 1 or 2 m, straight or
// diagonal, so six at most. Each cell therefore names the step to each neighbour by a 4-bit kind
// that indexes a small table of costs, and the sweep's whole working state for a cell (both
// costs, both predecessors, the eight step kinds) fits in 16 bytes.

#include "planner/neighbourSteps.h"
#include "planner/routeTables.h"
#include "terrain/terrainGrid.h"

#include <cstdint>

// Length (metres) and energy (joules) of one step.
struct StepCost {
    float length;
    float energy;
};

constexpr int STEP_KIND_BITS = 4;
constexpr uint32_t STEP_KIND_MASK = (1u << STEP_KIND_BITS) - 1;
constexpr int STEP_KIND_LIMIT = 1 << STEP_KIND_BITS;

// Kind 0 is no step (it fails the grade test, leaves the grid or touches a cell without ground):
// +infinity in both costs, so offering it never lowers a cost.
constexpr uint32_t NO_STEP = 0;

// No neighbour: the planner has not lowered this cost.
constexpr uint8_t FROM_NOWHERE = 0;

// One grid cell as the sweep works on it. Costs as in distanceTable and energyTable; a
// predecessor is held as 1 + the NEIGHBOUR_STEPS index of the step that arrived here.
struct alignas(16) SweepCell {
    float distance;
    float energy;
    uint32_t stepKinds; // kind of the step to neighbour d in bits 4d .. 4d + 3
    uint8_t distanceFrom;
    uint8_t energyFrom;
    uint16_t ground; // 1 for a grid cell with ground, 0 for one without and for the margin
};

// The grid with a one-cell margin all round, so every grid cell has eight neighbours in the
// array: cell (x, y) is cells[x + 1][y + 1]. Steps into the margin are NO_STEP.
constexpr int SWEEP_SIZE = GRID_SIZE + 2;

// Neighbour d of the cell at flat index p of the margined grid is p + neighbourOffset(d).
constexpr int neighbourOffset(int d) {
    return NEIGHBOUR_STEPS[d].dx * SWEEP_SIZE + NEIGHBOUR_STEPS[d].dy;
}

// Everything both planners read about one terrain and vehicle mass; the sweep also keeps its
// working costs here. Every cell's costs are clear between plans.
struct PlanningGrid {
    StepCost stepCosts[STEP_KIND_LIMIT];
    SweepCell cells[SWEEP_SIZE][SWEEP_SIZE];
    // The step kinds of cells again, packed: a search that jumps about the grid touches a quarter
    // of the memory.
    uint32_t stepKinds[SWEEP_SIZE * SWEEP_SIZE];
};

// True when a plan can start at (x, y): inside the grid and on ground. Any other start leaves
// every cell unreached, itself included.
inline bool canStartAt(const PlanningGrid& grid, int x, int y) {
    return isInsideGrid(x, y) && grid.cells[x + 1][y + 1].ground != 0;
}

// A cell no sweep has reached.
inline void clearSweepCell(SweepCell& cell) {
    cell.distance = UNREACHED_COST;
    cell.energy = UNREACHED_COST;
    cell.distanceFrom = FROM_NOWHERE;
    cell.energyFrom = FROM_NOWHERE;
}

// Kind of the step from grid cell (x, y) to its neighbour d.
inline uint32_t stepKindAt(const PlanningGrid& grid, int x, int y, int d) {
    return (grid.cells[x + 1][y + 1].stepKinds >> (STEP_KIND_BITS * d)) & STEP_KIND_MASK;
}

// Prices every step between neighbouring positions (metres) for a vehicle of vehicleMass
// kilograms with the per-step rules, and clears every cell. Aborts with a message if the
// terrain has more distinct passable steps than kinds (impossible with whole-metre heights).
void buildPlanningGrid(const TerrainPositions& positions, float vehicleMass, PlanningGrid& grid);

// The grid of the ground now loaded, which computeRoutes and relaxNeighbours read.
extern PlanningGrid planningGrid;

// Rebuilds planningGrid from terrainVertices and settings.vehicleMass; call whenever either
// changes.
void buildStepTable();
