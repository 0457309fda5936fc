#include "planner/exactSearch.h"

#include "planner/parallelWork.h"

#include <algorithm>
#include <vector>

namespace {

// Buckets are never narrower than this share of the dearest step, so the ring of buckets stays
// small whatever the ground; steps cheaper than a bucket are taken up inside it.
constexpr double MAX_BUCKETS_PER_STEP = 4096.0;

struct DistanceMeasure {
    static float step(const PlanningGrid& grid, std::size_t p, int d) {
        return stepLengthAt(grid, p, d);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.lengths; }
};

struct EnergyMeasure {
    static float step(const PlanningGrid& grid, std::size_t p, int d) {
        return stepEnergyAt(grid, p, d);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.energies; }
};

// One measure's search, writing straight into its cost and predecessor tables.
struct MeasureSearch {
    float* cost;
    uint8_t* from;
    BucketQueue* frontier;
    bool energy;
};

template <typename Measure>
void search(const PlanningGrid& grid, std::size_t start, float* cost, uint8_t* from,
            BucketQueue& frontier) {
    const std::size_t cells = grid.shape.cells();
    std::fill(cost, cost + cells, UNREACHED_COST);
    std::fill(from, from + cells, FROM_NOWHERE);
    const StepRange& range = Measure::range(grid);
    // A measure without costly steps leaves every cost at 0: one bucket holds all.
    const double dearest = range.dearest > 0.0 ? range.dearest : 1.0;
    const double width =
        range.dearest > 0.0 ? std::max(range.cheapest, dearest / MAX_BUCKETS_PER_STEP) : 1.0;
    frontier.reset(width, dearest);
    const int rows = grid.shape.rows;
    std::ptrdiff_t offsets[NEIGHBOUR_COUNT];
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        offsets[d] = neighbourOffset(d, rows);
    }
    cost[start] = 0.0f;
    frontier.push(0.0f, static_cast<uint32_t>(start));
    while (!frontier.empty()) {
        const BucketQueue::Entry top = frontier.pop();
        const std::size_t p = top.item;
        const float base = cost[p];
        if (base != top.cost) {
            continue; // superseded by a lower cost pushed later
        }
        const uint8_t steps = grid.steps[p];
        // No step costs less than the cheapest: a neighbour already at most that far above this
        // cell cannot be lowered, and its step is not priced.
        const double reach = static_cast<double>(base) + (range.free ? 0.0 : range.cheapest);
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            if ((steps & (1u << d)) == 0) {
                continue;
            }
            const std::size_t q = p + offsets[d];
            if (cost[q] <= reach) {
                continue;
            }
            const double candidate =
                static_cast<double>(base) + static_cast<double>(Measure::step(grid, p, d));
            if (!(cost[q] > candidate)) {
                continue;
            }
            const float stored = static_cast<float>(candidate);
            if (stored < cost[q]) {
                frontier.push(stored, static_cast<uint32_t>(q));
            }
            cost[q] = stored;
            from[q] = static_cast<uint8_t>(d + 1);
        }
    }
}

void runSearch(const PlanningGrid& grid, std::size_t start, const MeasureSearch& s) {
    if (s.energy) {
        search<EnergyMeasure>(grid, start, s.cost, s.from, *s.frontier);
        return;
    }
    search<DistanceMeasure>(grid, start, s.cost, s.from, *s.frontier);
}

} // namespace

void exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 RouteTables& out) {
    if (!canStartAt(grid, startX, startY)) {
        resetRouteTables(out, -1, -1);
        return;
    }
    const std::size_t start = grid.shape.index(startX, startY);
    MeasureSearch searches[] = {
        {out.distance.data(), out.previousDistance.steps(), &work.distanceFrontier, false},
        {out.energy.data(), out.previousEnergy.steps(), &work.energyFrontier, true}};
    if (workersFor(grid.shape.cells()) > 1) {
        std::vector<MeasureSearch> both(std::begin(searches), std::end(searches));
        runEach(both, [&](const MeasureSearch& s) { runSearch(grid, start, s); });
        return;
    }
    for (const MeasureSearch& s : searches) {
        runSearch(grid, start, s);
    }
}
