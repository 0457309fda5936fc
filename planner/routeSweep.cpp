#include "planner/routeSweep.h"

#include "planner/parallelWork.h"
#include "planner/runState.h"
#include "planner/spiralOrder.h"

#include <algorithm>
#include <cstdint>

namespace {

// Stores the candidate base + step when it is strictly below the stored cost. The test is on the
// exact sum (a double holds the sum of two floats exactly), the stored value is rounded: a
// candidate that rounds to the stored cost but lies below it still wins.
inline void offer(float& cost, uint8_t& previous, float base, float step, uint8_t from) {
    const double candidate = static_cast<double>(base) + static_cast<double>(step);
    if (cost > candidate) {
        cost = static_cast<float>(candidate);
        previous = from;
    }
}

// The sweep's state kept in the route tables themselves, beside the terrain's heights and the
// grid's steps: nothing to set up or copy, the better choice while the grid fits in the caches.
struct TableCells {
    float* distance;
    float* energy;
    uint8_t* distanceFrom;
    uint8_t* energyFrom;
    const float* heights;
    const uint8_t* steps;

    float& distanceOf(std::size_t p) const { return distance[p]; }
    float& energyOf(std::size_t p) const { return energy[p]; }
    uint8_t& distanceFromOf(std::size_t p) const { return distanceFrom[p]; }
    uint8_t& energyFromOf(std::size_t p) const { return energyFrom[p]; }
    float heightOf(std::size_t p) const { return heights[p]; }
    uint8_t stepsOf(std::size_t p) const { return steps[p]; }
    void prefetch(std::size_t) const {} // the tables fit in the caches
};

// Everything the sweep reads or writes about one cell, in one 16-byte record: on a big grid a
// visit then touches one cache line per neighbouring column instead of one per table.
struct SweepCell {
    float distance;
    float energy;
    float height;
    uint8_t steps;
    uint8_t distanceFrom;
    uint8_t energyFrom;
    uint8_t unused;
};

struct PackedCells {
    SweepCell* cells;

    float& distanceOf(std::size_t p) const { return cells[p].distance; }
    float& energyOf(std::size_t p) const { return cells[p].energy; }
    uint8_t& distanceFromOf(std::size_t p) const { return cells[p].distanceFrom; }
    uint8_t& energyFromOf(std::size_t p) const { return cells[p].energyFrom; }
    float heightOf(std::size_t p) const { return cells[p].height; }
    uint8_t stepsOf(std::size_t p) const { return cells[p].steps; }
    void prefetch(std::size_t p) const { __builtin_prefetch(cells + p); }
};

template <typename Cells>
void relaxCell(const StepPrices& prices, int rows, const Cells& cells, std::size_t p) {
    const float baseDistance = cells.distanceOf(p);
    // Both measures step over the same passable steps, so a cell unreached in distance is
    // unreached in energy too, and has nothing to offer.
    if (baseDistance == UNREACHED_COST) {
        return;
    }
    const uint8_t steps = cells.stepsOf(p);
    if (steps == 0) {
        return;
    }
    const float baseEnergy = cells.energyOf(p);
    const float zp = cells.heightOf(p);
#pragma GCC unroll 8
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        if ((steps & (1u << d)) == 0) {
            continue;
        }
        const std::size_t q = p + neighbourOffset(d, rows);
        const float zq = cells.heightOf(q);
        const auto arrived = static_cast<uint8_t>(d + 1);
        offer(cells.distanceOf(q), cells.distanceFromOf(q), baseDistance,
              prices.length(p, d, zp, zq), arrived);
        offer(cells.energyOf(q), cells.energyFromOf(q), baseEnergy, prices.energy(d, zp, zq),
              arrived);
    }
}

// How many cells ahead along a leg of the spiral a record is asked for: a leg across the columns
// steps a column's worth of memory per cell, which the hardware does not foresee.
constexpr std::size_t SWEEP_PREFETCH_CELLS = 16;

// Walks the spiral from (startX, startY), relaxing every cell of `cells`.
template <typename Cells>
void sweepCells(const PlanningGrid& grid, int startX, int startY, const Cells& cells,
                const ProgressListener& progress) {
    const StepPrices prices(grid);
    const GridShape shape = grid.shape;
    const std::size_t cellCount = shape.cells();
    std::size_t last = shape.index(startX, startY);
    ProgressReport report(PLANNING_WORK, cellCount, progress);
    std::size_t visited = 0;
    forEachSpiralCell(shape, startX, startY, [&](int a, int b) {
        if (++visited % PROGRESS_STRIDE == 0) {
            report.update(visited);
        }
        const std::size_t p = shape.index(a, b);
        // The leg goes on the way the last move went (a wrong guess at a corner costs nothing).
        const std::size_t ahead = p + (p - last) * SWEEP_PREFETCH_CELLS;
        if (ahead < cellCount) {
            cells.prefetch(ahead);
        }
        last = p;
        relaxCell(prices, shape.rows, cells, p);
    });
}

// Calls work(from, to) over cell ranges that together cover the grid, on both cores when the
// grid is big.
template <typename Work> void forCellRanges(std::size_t cells, Work&& work) {
    struct Range {
        std::size_t from;
        std::size_t to;
    };
    const std::size_t workers = workersFor(cells);
    std::vector<Range> ranges(workers);
    for (std::size_t k = 0; k < workers; ++k) {
        ranges[k] = {cells * k / workers, cells * (k + 1) / workers};
    }
    runEach(ranges, [&work](const Range& r) { work(r.from, r.to); });
}

// The packed state of a sweep, kept between sweeps of big grids.
PlannerArray<SweepCell>& packedState() {
    static PlannerArray<SweepCell> state;
    return state;
}

void packedSweep(const PlanningGrid& grid, int startX, int startY, RouteTables& out,
                 const ProgressListener& progress) {
    const std::size_t cellCount = grid.shape.cells();
    SweepCell* cells = packedState().reserve(cellCount);
    const float* z = grid.terrain->heights().data();
    const uint8_t* steps = grid.steps.data();
    forCellRanges(cellCount, [&](std::size_t from, std::size_t to) {
        for (std::size_t p = from; p < to; ++p) {
            cells[p] = {UNREACHED_COST, UNREACHED_COST, z[p], steps[p],
                        FROM_NOWHERE,   FROM_NOWHERE,   0};
        }
    });
    const std::size_t start = grid.shape.index(startX, startY);
    cells[start].distance = 0.0f;
    cells[start].energy = 0.0f;
    sweepCells(grid, startX, startY, PackedCells{cells}, progress);
    float* distance = out.distance.data();
    float* energy = out.energy.data();
    uint8_t* distanceFrom = out.previousDistance.steps();
    uint8_t* energyFrom = out.previousEnergy.steps();
    forCellRanges(cellCount, [&](std::size_t from, std::size_t to) {
        for (std::size_t p = from; p < to; ++p) {
            distance[p] = cells[p].distance;
            energy[p] = cells[p].energy;
            distanceFrom[p] = cells[p].distanceFrom;
            energyFrom[p] = cells[p].energyFrom;
        }
    });
}

TableCells tableCells(const PlanningGrid& grid, RouteTables& tables) {
    return {tables.distance.data(),          tables.energy.data(),
            tables.previousDistance.steps(), tables.previousEnergy.steps(),
            grid.terrain->heights().data(),  grid.steps.data()};
}

} // namespace

void relaxNeighbours(const PlanningGrid& grid, RouteTables& tables, int a, int b) {
    relaxCell(StepPrices(grid), grid.shape.rows, tableCells(grid, tables), grid.shape.index(a, b));
}

void relaxNeighbours(int a, int b) {
    relaxNeighbours(planningGrid, landscapeRun.tables, a, b);
}

void sweepRoutes(const PlanningGrid& grid, int startX, int startY, RouteTables& out,
                 const ProgressListener& progress) {
    if (!canStartAt(grid, startX, startY)) {
        resetRouteTables(out, -1, -1);
        return;
    }
    // A grid that fits in the caches gains nothing from packing and must plan without
    // allocating; the packed state pays off where the tables do not fit.
    if (workersFor(grid.shape.cells()) > 1) {
        packedSweep(grid, startX, startY, out, progress);
        return;
    }
    resetRouteTables(out, startX, startY);
    sweepCells(grid, startX, startY, tableCells(grid, out), progress);
}
