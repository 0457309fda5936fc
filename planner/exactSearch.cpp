#include "planner/exactSearch.h"

#include <algorithm>

namespace {

// Buckets are never narrower than this share of the dearest step, so the ring of buckets stays
// small whatever the ground (the tails it pushes to stay in the nearest cache); steps cheaper
// than a bucket are taken up inside it.
constexpr double MAX_BUCKETS_PER_STEP = 64.0;

// Each measure breaks its ties by the other: `step` prices a step in the measure searched for,
// `other` in the one that decides between equally cheap predecessors.
// Prices is StepPrices, or KindPrices on a grid whose steps come in kinds.
template <typename Prices> struct DistanceMeasure {
    using PriceTable = Prices;
    static float step(const Prices& prices, std::size_t p, int d, float zp, float zq) {
        return prices.length(p, d, zp, zq);
    }
    static float other(const Prices& prices, std::size_t p, int d, float zp, float zq) {
        return prices.energy(p, d, zp, zq);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.lengths; }
    static const StepRange& otherRange(const PlanningGrid& grid) { return grid.energies; }
};

template <typename Prices> struct EnergyMeasure {
    using PriceTable = Prices;
    static float step(const Prices& prices, std::size_t p, int d, float zp, float zq) {
        return prices.energy(p, d, zp, zq);
    }
    static float other(const Prices& prices, std::size_t p, int d, float zp, float zq) {
        return prices.length(p, d, zp, zq);
    }
    static const StepRange& range(const PlanningGrid& grid) { return grid.energies; }
    static const StepRange& otherRange(const PlanningGrid& grid) { return grid.lengths; }
};

// Buckets one part of a split search may run ahead of the other. A part further ahead takes up
// cells before the cheaper costs that reach them across the border have come and takes them up
// again: at one dearest step (65 buckets) ahead the second part of an energy search on a big
// hilly grid took up a fifth more cells than it reached, at 4 none; a little lead lets a part
// go on through a few buckets the other has more work in.
constexpr std::size_t SPLIT_LEAD_BUCKETS = 4;

// The steps whose column offset is dx.
constexpr uint8_t stepsAlong(int dx) {
    unsigned mask = 0;
    for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
        mask |= NEIGHBOUR_STEPS[d].dx == dx ? 1u << d : 0u;
    }
    return static_cast<uint8_t>(mask);
}

// Which columns a part owns: the grid's columns dealt out in stripes of `width`, alternately to
// part 0 and part 1. The one part of a search that is not split owns one stripe as wide as the
// grid.
struct Stripes {
    int width;
    int part;

    bool owns(int column) const { return column / width % 2 == part; }
};

// Pops between two hand-overs of offers inside a bucket, less one (a power of two, less one):
// an offer that waits for the bucket's end may find its cell taken up at a dearer cost.
constexpr std::size_t EXCHANGE_MASK = 255;

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
float costThrough(const typename Measure::PriceTable& prices, float base, std::size_t u, int d,
                  float zu, float zq) {
    return static_cast<float>(static_cast<double>(base) +
                              static_cast<double>(Measure::step(prices, u, d, zu, zq)));
}

template <typename Measure>
float otherThrough(const typename Measure::PriceTable& prices, float base, std::size_t u, int d,
                   float zu, float zq) {
    return static_cast<float>(static_cast<double>(base) +
                              static_cast<double>(Measure::other(prices, u, d, zu, zq)));
}

// What one part of a search weighs a step with.
template <typename Prices> struct SearchState {
    const PlanningGrid& grid;
    const Prices& prices;
    SearchCell* cells;
    BucketQueue& frontier;
    Stripes stripes;
    const BorderOffer* lastOffers; // SearchPart::lastOffers
    const uint32_t* borderSlots;   // SearchPart::borderSlots

    bool owns(std::size_t p) const { return stripes.owns(static_cast<int>(p / grid.shape.rows)); }

    // Where the last offer of the step in direction d into border cell q is kept.
    std::size_t offerSlot(std::size_t q, int d) const {
        const auto rows = static_cast<std::size_t>(grid.shape.rows);
        return (borderSlots[q / rows] * rows + q % rows) * NEIGHBOUR_COUNT + d;
    }
};

// Names anew the predecessor of cell q: of the steps into it that reach its cost, the one whose
// route is least in the other measure (the first in NEIGHBOUR_STEPS order of equals). Needed
// when the route through its predecessor has grown dearer in the other measure, as one that was
// passed over for it may now be the better.
template <typename Measure>
void chooseTiedPredecessor(const SearchState<typename Measure::PriceTable>& state, std::size_t q) {
    const PlanningGrid& grid = state.grid;
    SearchCell* cells = state.cells;
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
        float through = 0.0f;
        float other = 0.0f;
        if (state.owns(u)) {
            const float zu = cells[u].height;
            const float zq = cells[q].height;
            through = costThrough<Measure>(state.prices, cells[u].cost, u, d, zu, zq);
            other = otherThrough<Measure>(state.prices, cells[u].other(), u, d, zu, zq);
        } else { // the other part's cell, as its last offer left it
            const BorderOffer& offer = state.lastOffers[state.offerSlot(q, d)];
            through = offer.cost;
            other = offer.other;
        }
        if (through != cells[q].cost) {
            continue;
        }
        if (other < best) {
            best = other;
            cells[q].from = static_cast<uint8_t>(d + 1);
        }
    }
    cells[q].setOther(best);
}

// One part of one measure's search: the cells it owns (all of them when the search is not
// split), where it writes its costs and predecessors, and what it shares with the other part.
struct PartSearch {
    const PlanningGrid* grid;
    std::size_t start;
    SearchCell* cells;
    float* cost;
    uint8_t* from;
    Stripes stripes; // the columns that are this part's
    SearchPart* self;
    SearchPart* other; // the other part of a split search, else null
    SearchMeeting* meeting;
    ProgressReport* report;     // null on the thread that does not tell
    std::size_t reportedBefore; // cells this thread took up in searches before this one
    std::size_t takenUp = 0;    // cells this part took up, when it is done
};

// Weighs a step in direction d into cell q, whose cost through the step is `stored` and other
// measure `other`: of routes equally cheap in this measure, the one cheapest in the other wins.
// Both are compared as stored: a sum rounded up must not count as lower than itself.
template <typename Measure>
void weighStep(const SearchState<typename Measure::PriceTable>& s, std::size_t q, int d,
               float stored, float other) {
    SearchCell& next = s.cells[q];
    if (stored > next.cost) {
        return;
    }
    if (stored == next.cost) {
        if (next.from == d + 1) { // the cell's own route, whose other total has changed
            if (other == next.other()) {
                return;
            }
            if (other < next.other()) {
                next.setOther(other);
            } else {
                chooseTiedPredecessor<Measure>(s, q);
            }
            if (!next.waiting()) { // its neighbours follow
                next.setWaiting(true);
                s.frontier.push(s.frontier.bucketOf(stored), static_cast<uint32_t>(q));
            }
            return;
        }
        if (!(other < next.other())) {
            return;
        }
    }
    // A cell waiting in the bucket of its new cost keeps its entry there.
    const std::size_t bucket = s.frontier.bucketOf(stored);
    if (!next.waiting() || bucket != s.frontier.bucketOf(next.cost)) {
        next.setWaiting(true);
        s.frontier.push(bucket, static_cast<uint32_t>(q));
    }
    next.cost = stored;
    next.setOther(other);
    next.from = static_cast<uint8_t>(d + 1);
}

template <typename Measure> void search(PartSearch& part) {
    const PlanningGrid& grid = *part.grid;
    const std::size_t cellCount = grid.shape.cells();
    SearchCell* cells = part.cells;
    const float* z = grid.terrain->heights().data();
    const int columns = grid.shape.columns;
    const int rows = grid.shape.rows;
    const Stripes stripes = part.stripes;
    // A column beside one of the other part's has steps into it and takes offers from it.
    std::vector<uint32_t>& borderSlots = part.self->borderSlots;
    borderSlots.assign(columns, 0);
    uint32_t borderColumns = 0;
    for (int x = 0; x < columns; ++x) {
        if (!stripes.owns(x)) {
            continue;
        }
        const unsigned across = (x > 0 && !stripes.owns(x - 1) ? stepsAlong(-1) : 0u) |
                                (x + 1 < columns && !stripes.owns(x + 1) ? stepsAlong(1) : 0u);
        if (across != 0) {
            borderSlots[x] = borderColumns++;
        }
        for (std::size_t p = grid.shape.index(x, 0), end = p + rows; p < end; ++p) {
            const unsigned steps = grid.steps[p];
            cells[p] = {UNREACHED_COST, z[p],
                        0.0f,           static_cast<uint8_t>(steps & ~across),
                        FROM_NOWHERE,   static_cast<uint8_t>(steps & across)};
        }
    }
    const bool split = part.other != nullptr;
    if (split) {
        part.meeting->arriveAndWait();
    }
    const StepRange& range = Measure::range(grid);
    // A measure without costly steps leaves every cost at 0: one bucket holds all.
    const double dearest = range.dearest > 0.0 ? range.dearest : 1.0;
    const double width =
        range.dearest > 0.0 ? std::max(range.cheapest, dearest / MAX_BUCKETS_PER_STEP) : 1.0;
    BucketQueue& frontier = part.self->frontier;
    frontier.reset(width, dearest, split ? part.meeting->lead : 0);
    const typename Measure::PriceTable prices(grid);
    std::vector<BorderOffer>& lastOffers = part.self->lastOffers;
    lastOffers.assign(std::size_t{borderColumns} * rows * NEIGHBOUR_COUNT,
                      {UNREACHED_COST, UNREACHED_COST, 0, 0});
    const SearchState<typename Measure::PriceTable> state{
        grid, prices, cells, frontier, stripes, lastOffers.data(), borderSlots.data()};
    // No step costs less than the cheapest: a neighbour already below that far above a cell
    // can be neither lowered nor tied from it, and its step is not priced.
    const double leastStep = range.free ? 0.0 : range.cheapest;
    const StepRange& otherRange = Measure::otherRange(grid);
    const double leastOther = otherRange.free ? 0.0 : otherRange.cheapest;
    if (state.owns(part.start)) {
        cells[part.start].cost = 0.0f;
        cells[part.start].setWaiting(true);
        frontier.push(frontier.bucketOf(0.0f), static_cast<uint32_t>(part.start));
    }
    std::vector<BorderOffer>& outbox = part.self->outbox;
    const auto weighOffer = [&state, &lastOffers](const BorderOffer& offer) {
        lastOffers[state.offerSlot(offer.cell, offer.step)] = offer;
        weighStep<Measure>(state, offer.cell, offer.step, offer.cost, offer.other);
    };
    std::size_t takenUp = 0;
    std::size_t pops = 0;
    for (;;) {
        if (split && frontier.bucketDone() &&
            !meetAtBucketEnd(*part.meeting, *part.self, *part.other, weighOffer)) {
            break;
        }
        if (frontier.empty()) {
            break;
        }
        if (split && (++pops & EXCHANGE_MASK) == 0) {
            postOffers(*part.meeting, *part.self, *part.other);
            weighOffers(*part.meeting, *part.self, weighOffer);
        }
        const std::size_t p = frontier.pop();
        if (const uint32_t* later = frontier.ahead(PREFETCH_DISTANCE)) {
            prefetchAround(cells, cellCount, *later, rows);
        }
        // Taken up already since this entry was made.
        if (!cells[p].waiting()) {
            continue;
        }
        cells[p].setWaiting(false);
        if (++takenUp % PROGRESS_STRIDE == 0 && part.report != nullptr) {
            part.report->update(part.reportedBefore + takenUp);
        }
        const float base = cells[p].cost;
        const float zp = cells[p].height;
        const float otherBase = cells[p].other();
        const uint8_t steps = cells[p].steps;
        for (unsigned across = cells[p].foreign; across != 0; across &= across - 1) {
            const int d = __builtin_ctz(across);
            const std::size_t q = p + neighbourOffset(d, rows);
            const float zq = cells[q].height; // written before the two parts met
            outbox.push_back({costThrough<Measure>(prices, base, p, d, zp, zq),
                              otherThrough<Measure>(prices, otherBase, p, d, zp, zq),
                              static_cast<uint32_t>(q), static_cast<uint8_t>(d)});
        }
        // Rounded as a stored cost is: no step's cost can round below it.
        const float reach = static_cast<float>(static_cast<double>(base) + leastStep);
        const float tieReach = static_cast<float>(static_cast<double>(otherBase) + leastOther);
#pragma GCC unroll 8
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            if ((steps & (1u << d)) == 0) {
                continue;
            }
            const std::size_t q = p + neighbourOffset(d, rows);
            const SearchCell& next = cells[q];
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
            weighStep<Measure>(state, q, d, stored,
                               otherThrough<Measure>(prices, otherBase, p, d, zp, next.height));
        }
    }
    for (int x = 0; x < columns; ++x) {
        if (!stripes.owns(x)) {
            continue;
        }
        for (std::size_t p = grid.shape.index(x, 0), end = p + rows; p < end; ++p) {
            part.cost[p] = cells[p].cost;
            part.from[p] = cells[p].from;
        }
    }
    part.takenUp = takenUp;
}

template <typename Prices> void searchMeasureWith(PartSearch& part, bool energy) {
    if (energy) {
        search<EnergyMeasure<Prices>>(part);
        return;
    }
    search<DistanceMeasure<Prices>>(part);
}

void searchMeasure(PartSearch& part, bool energy) {
    try {
        if (!part.grid->kinds.cells.empty()) {
            searchMeasureWith<KindPrices>(part, energy);
            return;
        }
        searchMeasureWith<StepPrices>(part, energy);
    } catch (...) {
        if (part.meeting != nullptr) {
            part.meeting->abandoned.store(true); // the other part must not wait for this one
        }
        throw;
    }
}

// A part handed to the helper thread.
struct PartJob {
    PartSearch* part;
    bool energy;

    static void run(void* job) {
        const PartJob& j = *static_cast<const PartJob*>(job);
        searchMeasure(*j.part, j.energy);
    }
};

// Searches `part` while the helper searches its own, then waits for the helper even when this
// search fails: the helper's part lives in the caller's frame.
void searchBesideHelper(HelperThread& helper, PartSearch& part, bool energy) {
    try {
        searchMeasure(part, energy);
    } catch (...) {
        helper.finish();
        throw;
    }
    helper.finish();
}

} // namespace

void exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 RouteTables& out, const ProgressListener& progress) {
    if (!canStartAt(grid, startX, startY)) {
        resetRouteTables(out, -1, -1);
        return;
    }
    const std::size_t cellCount = grid.shape.cells();
    const std::size_t start = grid.shape.index(startX, startY);
    ProgressReport report(PLANNING_WORK, cellCount, progress);
    float* costs[2] = {out.distance.data(), out.energy.data()};
    uint8_t* froms[2] = {out.previousDistance.steps(), out.previousEnergy.steps()};
    if (workersFor(cellCount) == 1) {
        // The distance search on the helper; the energy search, on this thread, tells the
        // progress of both.
        const Stripes whole{grid.shape.columns, 0};
        PartSearch distance{&grid,          start,    work.distanceCells.reserve(cellCount),
                            costs[0],       froms[0], whole,
                            &work.parts[1], nullptr,  nullptr,
                            nullptr,        0};
        PartSearch energy{&grid,          start,    work.energyCells.reserve(cellCount),
                          costs[1],       froms[1], whole,
                          &work.parts[0], nullptr,  nullptr,
                          &report,        0};
        PartJob job{&distance, false};
        work.helper.start(PartJob::run, &job);
        searchBesideHelper(work.helper, energy, true);
        return;
    }
    // Each measure in turn, split between the two parts; one set of cells serves both.
    SearchCell* cells = work.distanceCells.reserve(cellCount);
    const int stripeWidth = splitStripeWidth(grid.shape.columns);
    std::size_t told = 0;
    for (int measure = 0; measure < 2; ++measure) {
        work.meeting.begin(work.parts, SPLIT_LEAD_BUCKETS);
        PartSearch here{&grid,
                        start,
                        cells,
                        costs[measure],
                        froms[measure],
                        {stripeWidth, 0},
                        &work.parts[0],
                        &work.parts[1],
                        &work.meeting,
                        &report,
                        told};
        PartSearch there{&grid,
                         start,
                         cells,
                         costs[measure],
                         froms[measure],
                         {stripeWidth, 1},
                         &work.parts[1],
                         &work.parts[0],
                         &work.meeting,
                         nullptr,
                         0};
        PartJob job{&there, measure == 1};
        work.helper.start(PartJob::run, &job);
        searchBesideHelper(work.helper, here, measure == 1);
        told += here.takenUp;
    }
}
