#include "planner/exactSearch.h"

#include "planner/parallelWork.h"

#include <algorithm>
#include <vector>

namespace {

// Buckets are never narrower than this share of the dearest step, so the ring of buckets stays
// small whatever the ground; steps cheaper than a bucket are taken up inside it.
constexpr double MAX_BUCKETS_PER_STEP = 4096.0;

struct DistanceMeasure {
    static float step(const StepPrices& prices, std::size_t p, int d, float zp, float zq) {
        return prices.length(p, d, zp, zq);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.lengths; }
};

struct EnergyMeasure {
    static float step(const StepPrices& prices, std::size_t, int d, float zp, float zq) {
        return prices.energy(d, zp, zq);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.energies; }
};

// One measure's search, writing straight into its cost and predecessor tables.
struct MeasureSearch {
    float* cost;
    uint8_t* from;
    BucketQueue* frontier;
    PlannerArray<SearchCell>* cells;
    bool energy;
};

// How many pops ahead a cell's neighbourhood is asked for: enough to cover a memory latency with
// the work of the cells in between.
constexpr std::size_t PREFETCH_DISTANCE = 4;

// Asks for the cache lines of the cell at p and of its neighbours in the two columns beside it.
inline void prefetchAround(const SearchCell* cells, std::size_t cellCount, std::size_t p,
                           int rows) {
    __builtin_prefetch(cells + p);
    if (p >= static_cast<std::size_t>(rows)) {
        __builtin_prefetch(cells + p - rows);
    }
    if (p + rows < cellCount) {
        __builtin_prefetch(cells + p + rows);
    }
}

template <typename Measure>
void search(const PlanningGrid& grid, std::size_t start, SearchCell* cells, float* cost,
            uint8_t* from, BucketQueue& frontier) {
    const std::size_t cellCount = grid.shape.cells();
    const float* z = grid.terrain->heights().data();
    for (std::size_t p = 0; p < cellCount; ++p) {
        cells[p] = {UNREACHED_COST, z[p]};
    }
    std::fill(from, from + cellCount, FROM_NOWHERE);
    const StepRange& range = Measure::range(grid);
    // A measure without costly steps leaves every cost at 0: one bucket holds all.
    const double dearest = range.dearest > 0.0 ? range.dearest : 1.0;
    const double width =
        range.dearest > 0.0 ? std::max(range.cheapest, dearest / MAX_BUCKETS_PER_STEP) : 1.0;
    frontier.reset(width, dearest);
    const int rows = grid.shape.rows;
    const StepPrices prices(grid);
    const uint8_t* stepBits = grid.steps.data();
    // No step costs less than the cheapest: a neighbour already at most that far above a cell
    // cannot be lowered from it, and its step is not priced.
    const double leastStep = range.free ? 0.0 : range.cheapest;
    cells[start].cost = 0.0f;
    frontier.push(0.0f, static_cast<uint32_t>(start));
    while (!frontier.empty()) {
        const BucketQueue::Entry top = frontier.pop();
        if (const BucketQueue::Entry* later = frontier.ahead(PREFETCH_DISTANCE)) {
            prefetchAround(cells, cellCount, later->item, rows);
        }
        const std::size_t p = top.item;
        const float base = cells[p].cost;
        if (base != top.cost) {
            continue; // superseded by a lower cost pushed later
        }
        const float zp = cells[p].height;
        const uint8_t steps = stepBits[p];
        const double reach = static_cast<double>(base) + leastStep;
#pragma GCC unroll 8
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            if ((steps & (1u << d)) == 0) {
                continue;
            }
            const std::size_t q = p + neighbourOffset(d, rows);
            SearchCell& next = cells[q];
            if (next.cost <= reach) {
                continue;
            }
            const double candidate =
                static_cast<double>(base) +
                static_cast<double>(Measure::step(prices, p, d, zp, next.height));
            if (!(next.cost > candidate)) {
                continue;
            }
            const float stored = static_cast<float>(candidate);
            if (stored < next.cost) {
                frontier.push(stored, static_cast<uint32_t>(q));
            }
            next.cost = stored;
            from[q] = static_cast<uint8_t>(d + 1);
        }
    }
    for (std::size_t p = 0; p < cellCount; ++p) {
        cost[p] = cells[p].cost;
    }
}

void runSearch(const PlanningGrid& grid, std::size_t start, const MeasureSearch& s) {
    SearchCell* cells = s.cells->reserve(grid.shape.cells());
    if (s.energy) {
        search<EnergyMeasure>(grid, start, cells, s.cost, s.from, *s.frontier);
        return;
    }
    search<DistanceMeasure>(grid, start, cells, s.cost, s.from, *s.frontier);
}

} // namespace

void exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 RouteTables& out) {
    if (!canStartAt(grid, startX, startY)) {
        resetRouteTables(out, -1, -1);
        return;
    }
    const std::size_t start = grid.shape.index(startX, startY);
    MeasureSearch searches[] = {{out.distance.data(), out.previousDistance.steps(),
                                 &work.distanceFrontier, &work.distanceCells, false},
                                {out.energy.data(), out.previousEnergy.steps(),
                                 &work.energyFrontier, &work.energyCells, true}};
    if (workersFor(grid.shape.cells()) > 1) {
        std::vector<MeasureSearch> both(std::begin(searches), std::end(searches));
        runEach(both, [&](const MeasureSearch& s) { runSearch(grid, start, s); });
        return;
    }
    for (const MeasureSearch& s : searches) {
        runSearch(grid, start, s);
    }
}
