#include "planner/exactSearch.h"

#include <algorithm>

namespace {

// Buckets are never narrower than this share of the dearest step, so the ring of buckets stays
// small whatever the ground (the tails it pushes to stay in the nearest cache); steps cheaper
// than a bucket are taken up inside it.
constexpr double MAX_BUCKETS_PER_STEP = 64.0;

// Each measure breaks its ties by the other: `step` prices a step in the measure searched for,
// `other` in the one that decides between equally cheap predecessors.
struct DistanceMeasure {
    static float step(const StepPrices& prices, std::size_t p, int d, float zp, float zq) {
        return prices.length(p, d, zp, zq);
    }
    static float other(const StepPrices& prices, std::size_t, int d, float zp, float zq) {
        return prices.energy(d, zp, zq);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.lengths; }
    static const StepRange& otherRange(const PlanningGrid& grid) { return grid.energies; }
};

struct EnergyMeasure {
    static float step(const StepPrices& prices, std::size_t, int d, float zp, float zq) {
        return prices.energy(d, zp, zq);
    }
    static float other(const StepPrices& prices, std::size_t p, int d, float zp, float zq) {
        return prices.length(p, d, zp, zq);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.energies; }
    static const StepRange& otherRange(const PlanningGrid& grid) { return grid.lengths; }
};

// One measure's search, writing straight into its cost and predecessor tables.
struct MeasureSearch {
    float* cost;
    uint8_t* from;
    BucketQueue* frontier;
    PlannerArray<SearchCell>* cells;
    bool energy;
    const ProgressListener* progress; // an empty one for the search on another thread
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

// A cost of cell u (flat index, height zu) plus its step in direction d onto a cell of height
// zq, in this measure or the other, rounded as stored.
template <typename Measure>
float costThrough(const StepPrices& prices, float base, std::size_t u, int d, float zu, float zq) {
    return static_cast<float>(static_cast<double>(base) +
                              static_cast<double>(Measure::step(prices, u, d, zu, zq)));
}

template <typename Measure>
float otherThrough(const StepPrices& prices, float base, std::size_t u, int d, float zu, float zq) {
    return static_cast<float>(static_cast<double>(base) +
                              static_cast<double>(Measure::other(prices, u, d, zu, zq)));
}

// Names anew the predecessor of cell q: of the steps into it that reach its cost, the one whose
// route is least in the other measure (the first in NEIGHBOUR_STEPS order of equals). Needed
// when the route through its predecessor has grown dearer in the other measure, as one that was
// passed over for it may now be the better.
template <typename Measure>
void chooseTiedPredecessor(const PlanningGrid& grid, const StepPrices& prices, SearchCell* cells,
                           std::size_t q) {
    const int rows = grid.shape.rows;
    const int x = static_cast<int>(q / rows);
    const int y = static_cast<int>(q % rows);
    float best = UNREACHED_COST;
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        const NeighbourStep& s = NEIGHBOUR_STEPS[d];
        if (!grid.shape.contains(x - s.dx, y - s.dy)) {
            continue;
        }
        const std::size_t u = q - neighbourOffset(d, rows);
        if ((grid.steps[u] & (1u << d)) == 0) {
            continue;
        }
        const float zu = cells[u].height;
        const float zq = cells[q].height;
        if (costThrough<Measure>(prices, cells[u].cost, u, d, zu, zq) != cells[q].cost) {
            continue;
        }
        const float other = otherThrough<Measure>(prices, cells[u].other(), u, d, zu, zq);
        if (other < best) {
            best = other;
            cells[q].from = static_cast<uint8_t>(d + 1);
        }
    }
    cells[q].setOther(best);
}

template <typename Measure>
void search(const PlanningGrid& grid, std::size_t start, SearchCell* cells, float* cost,
            uint8_t* from, BucketQueue& frontier, const ProgressListener& progress) {
    const std::size_t cellCount = grid.shape.cells();
    ProgressReport report(PLANNING_WORK, cellCount, progress);
    std::size_t takenUp = 0;
    const float* z = grid.terrain->heights().data();
    for (std::size_t p = 0; p < cellCount; ++p) {
        cells[p] = {UNREACHED_COST, z[p], 0.0f, grid.steps[p], FROM_NOWHERE};
    }
    const StepRange& range = Measure::range(grid);
    // A measure without costly steps leaves every cost at 0: one bucket holds all.
    const double dearest = range.dearest > 0.0 ? range.dearest : 1.0;
    const double width =
        range.dearest > 0.0 ? std::max(range.cheapest, dearest / MAX_BUCKETS_PER_STEP) : 1.0;
    frontier.reset(width, dearest);
    const int rows = grid.shape.rows;
    const StepPrices prices(grid);
    // No step costs less than the cheapest: a neighbour already below that far above a cell
    // can be neither lowered nor tied from it, and its step is not priced.
    const double leastStep = range.free ? 0.0 : range.cheapest;
    const StepRange& otherRange = Measure::otherRange(grid);
    const double leastOther = otherRange.free ? 0.0 : otherRange.cheapest;
    cells[start].cost = 0.0f;
    cells[start].setWaiting(true);
    frontier.push(frontier.bucketOf(0.0f), static_cast<uint32_t>(start));
    while (!frontier.empty()) {
        const std::size_t p = frontier.pop();
        if (const uint32_t* later = frontier.ahead(PREFETCH_DISTANCE)) {
            prefetchAround(cells, cellCount, *later, rows);
        }
        const float base = cells[p].cost;
        // Taken up already, or grown cheaper into a bucket emptied before this one.
        if (!cells[p].waiting() || frontier.bucketOf(base) != frontier.current()) {
            continue;
        }
        cells[p].setWaiting(false);
        if (++takenUp % PROGRESS_STRIDE == 0) {
            report.update(takenUp);
        }
        const float zp = cells[p].height;
        const float otherBase = cells[p].other();
        const uint8_t steps = cells[p].steps;
        // Rounded as a stored cost is: no step's cost can round below it.
        const float reach = static_cast<float>(static_cast<double>(base) + leastStep);
        const float tieReach = static_cast<float>(static_cast<double>(otherBase) + leastOther);
#pragma GCC unroll 8
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            if ((steps & (1u << d)) == 0) {
                continue;
            }
            const std::size_t q = p + neighbourOffset(d, rows);
            SearchCell& next = cells[q];
            if (next.cost < reach) {
                continue;
            }
            // A neighbour as cheap as this cell can only be tied from it, by a step of no cost
            // that lowers its other measure: not when that is already within the other's
            // cheapest step, unless the neighbour's own route runs through here.
            if (next.cost == base && !(next.other() > tieReach) && next.from != d + 1) {
                continue;
            }
            const float stored = costThrough<Measure>(prices, base, p, d, zp, next.height);
            if (stored > next.cost) {
                continue;
            }
            // Of routes equally cheap in this measure, the one cheapest in the other wins. Both
            // are compared as stored: a sum rounded up must not count as lower than itself.
            const float other = otherThrough<Measure>(prices, otherBase, p, d, zp, next.height);
            if (stored == next.cost) {
                if (next.from == d + 1) { // the cell's own route, whose other total has changed
                    if (other == next.other()) {
                        continue;
                    }
                    if (other < next.other()) {
                        next.setOther(other);
                    } else {
                        chooseTiedPredecessor<Measure>(grid, prices, cells, q);
                    }
                    if (!next.waiting()) { // its neighbours follow
                        next.setWaiting(true);
                        frontier.push(frontier.bucketOf(stored), static_cast<uint32_t>(q));
                    }
                    continue;
                }
                if (!(other < next.other())) {
                    continue;
                }
            }
            // A cell waiting in the bucket of its new cost keeps its entry there.
            const std::size_t bucket = frontier.bucketOf(stored);
            if (!next.waiting() || bucket != frontier.bucketOf(next.cost)) {
                next.setWaiting(true);
                frontier.push(bucket, static_cast<uint32_t>(q));
            }
            next.cost = stored;
            next.setOther(other);
            next.from = static_cast<uint8_t>(d + 1);
        }
    }
    for (std::size_t p = 0; p < cellCount; ++p) {
        cost[p] = cells[p].cost;
        from[p] = cells[p].from;
    }
}

void runSearch(const PlanningGrid& grid, std::size_t start, const MeasureSearch& s) {
    SearchCell* cells = s.cells->reserve(grid.shape.cells());
    if (s.energy) {
        search<EnergyMeasure>(grid, start, cells, s.cost, s.from, *s.frontier, *s.progress);
        return;
    }
    search<DistanceMeasure>(grid, start, cells, s.cost, s.from, *s.frontier, *s.progress);
}

// A search handed to another thread.
struct SearchJob {
    const PlanningGrid* grid;
    std::size_t start;
    MeasureSearch search;

    static void run(void* job) {
        const SearchJob& j = *static_cast<const SearchJob*>(job);
        runSearch(*j.grid, j.start, j.search);
    }
};

} // namespace

void exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 RouteTables& out, const ProgressListener& progress) {
    if (!canStartAt(grid, startX, startY)) {
        resetRouteTables(out, -1, -1);
        return;
    }
    const std::size_t start = grid.shape.index(startX, startY);
    // The distance search runs on the helper; the energy search, on this thread, tells the
    // progress of both.
    const ProgressListener silent;
    SearchJob distance{&grid,
                       start,
                       {out.distance.data(), out.previousDistance.steps(), &work.distanceFrontier,
                        &work.distanceCells, false, &silent}};
    work.helper.start(SearchJob::run, &distance);
    runSearch(grid, start,
              {out.energy.data(), out.previousEnergy.steps(), &work.energyFrontier,
               &work.energyCells, true, &progress});
    work.helper.finish();
}
