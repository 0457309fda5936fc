// The exact search: one bucketed search loop per measure, its price of a move chosen once per
// plan (looked up by step kind, or worked out from the heights, eight moves at a time where the
// processor allows), the measures searched two at a time on the two cores and their costs
// rounded into the route tables at the end.
#include "planner/exactSearch.h"

#include "planner/wideOffers.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace {

// Buckets are never narrower than this share of the dearest step, so the ring of buckets stays
// small whatever the ground (the tails it pushes to stay in the nearest cache); steps cheaper
// than a bucket are taken up inside it.
constexpr double MAX_BUCKETS_PER_STEP = 64.0;

// How many pops ahead a cell's neighbourhood is asked for: enough to cover a memory latency with
// the work of the cells in between.
constexpr std::size_t PREFETCH_DISTANCE = 4;
// How many pops ahead a cell's own record is asked for, over the larger move sets: most of the
// energy search's pops are stale entries, passed over after one look at the record, so four pops
// go by too fast to hide that look's miss. Measured best of 4, 16 and 32 on a big ground.
constexpr std::size_t RECORD_PREFETCH_DISTANCE = 16;

// The least prices of a step in measure m.
const StepRange& rangeOf(const PlanningGrid& grid, Measure m) {
    return m == Measure::Distance ? grid.lengths
           : m == Measure::Energy ? grid.energies
                                  : grid.times;
}

// Asks for the cache lines of the cell at p and of its neighbours in the two columns beside it.
template <typename Cell>
inline void prefetchAround(const Cell* cells, std::size_t cellCount, std::size_t p, int rows) {
    __builtin_prefetch(cells + p);
    if (p >= static_cast<std::size_t>(rows)) {
        __builtin_prefetch(cells + p - rows);
    }
    if (p + rows < cellCount) {
        __builtin_prefetch(cells + p + rows);
    }
}

// One measure's search: where it works and where it writes its costs and predecessors.
struct MeasureSearch {
    const PlanningGrid* grid;
    const std::vector<std::size_t>* starts; // flat indices, each seeded at cost 0
    PlannerArray<SearchCell>* cells;
    PlannerArray<EightStepCell>* eightStepCells;
    BucketQueue* frontier;
    CostTable* costs;
    uint8_t* from;
    ProgressReport* report; // null on the threads that do not tell
    Measure measure;
    bool lastInSpace; // gives the cells back when done, where the workspace keeps none
    // Where time is a move's length at one pace everywhere, the distance search also writes the
    // times, its costs times that pace (seconds a metre), and no time search is run.
    CostTable* evenTimes = nullptr;
    double pace = 0.0;
    SearchDirection direction = SearchDirection::Forward;
    const CancelFlag* cancel = nullptr;
    bool cancelled = false; // the search stopped at `cancel`, its tables left as they were
};

// Where a search keeps its cells: records of 16 bytes beside the grid's heights and moves and the
// predecessor table, for any set of moves.
struct TableRecords {
    SearchCell* cells;
    const float* heights;
    const uint8_t* moves;
    int moveBytes;
    uint8_t* from;

    SearchCell& operator[](std::size_t p) const { return cells[p]; }
    void reset(std::size_t p) const {
        cells[p] = {static_cast<double>(UNREACHED_COST), 0.0};
        from[p] = FROM_NOWHERE;
    }
    float height(std::size_t p) const { return heights[p]; }
    const uint8_t* movesOf(std::size_t p) const { return moves + p * moveBytes; }
    // True when move d may be taken out of the cell at p.
    bool takes(std::size_t p, int d) const { return (movesOf(p)[d / 8] >> (d % 8) & 1u) != 0; }
    // Calls visit(d) for every move d open from the cell at p, in order.
    template <typename Visit> void forEachMoveOf(std::size_t p, Visit&& visit) const {
        forEachMove(movesOf(p), moveBytes, visit);
    }
    // Asks for what taking up the cell at p first reads: its record, its height and its moves.
    void prefetch(std::size_t p, std::size_t cellCount, int rows) const {
        prefetchAround(cells, cellCount, p, rows);
        __builtin_prefetch(heights + p);
        __builtin_prefetch(movesOf(p));
    }
    void prefetchRecord(std::size_t p) const { __builtin_prefetch(cells + p); }
    void arrived(std::size_t q, uint8_t by) const { from[q] = by; }
    void finish(std::size_t) const {}
};

// Records of 24 bytes that hold the height, steps and predecessor too: the eight steps.
struct EightStepRecords {
    EightStepCell* cells;
    const float* heights;
    const uint8_t* moves;
    uint8_t* from;

    EightStepCell& operator[](std::size_t p) const { return cells[p]; }
    void reset(std::size_t p) const {
        cells[p] = {};
        cells[p].cost = static_cast<double>(UNREACHED_COST);
        cells[p].height = heights[p];
        cells[p].steps = moves[p];
        cells[p].from = FROM_NOWHERE;
    }
    float height(std::size_t p) const { return cells[p].height; }
    bool takes(std::size_t p, int d) const { return (cells[p].steps >> d & 1u) != 0; }
    void prefetch(std::size_t p, std::size_t cellCount, int rows) const {
        prefetchAround(cells, cellCount, p, rows);
    }
    // Not asked for early: a pop over the eight steps is short, and on the built-in ground the
    // extra look cost more than it hid.
    void prefetchRecord(std::size_t) const {}
    // The same for the eight steps, unrolled: each step's offset is then a constant.
    template <typename Visit> void forEachMoveOf(std::size_t p, Visit&& visit) const {
        const unsigned open = cells[p].steps;
#pragma GCC unroll 8
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            if ((open & (1u << d)) != 0) {
                visit(d);
            }
        }
    }
    void arrived(std::size_t q, uint8_t by) const {
        cells[q].from = by;
    }
    void finish(std::size_t p) const {
        from[p] = cells[p].from;
    }
};

// The search, in outline:
//  1. every cell unreached; each start costs 0 and waits in the first bucket;
//  2. take up the oldest waiting cell of the lowest bucket that holds any (a cell whose entry
//     is stale, taken up since, is passed over);
//  3. offer its cost plus each open step's price to the neighbour: a lower cost, or an equal
//     cost that is lower in the other measure, replaces the neighbour's and its predecessor,
//     and the neighbour waits in the bucket of its new cost (a cell taken up already is taken
//     up again: free steps and steps cheaper than a bucket land in the bucket being emptied);
//  4. until no cell waits; then round the costs to float into the tables.
// Every label only falls, and sums in double do not depend on the order of the steps, so the
// costs and predecessors it ends with are the least whatever the order cells were taken up in.
// Each measure breaks its ties by the other. Prices is StepPrices, or KindPrices on a grid whose
// steps come in kinds; Records is TableRecords or EightStepRecords. Reversed, step 3 offers the
// cell's cost plus the price of each open move into it to the cell the move comes from; the
// moves are then taken one by one, never eight at a time.
template <Measure M, SearchDirection DIRECTION, typename Prices, typename Records>
void search(MeasureSearch& part, const Prices& prices, const Records& cells) {
    constexpr bool REVERSED = DIRECTION == SearchDirection::Reversed;
    constexpr Measure OTHER = otherMeasure(M);
    const PlanningGrid& grid = *part.grid;
    const std::size_t cellCount = grid.shape.cells();
    const int rows = grid.shape.rows;
    std::ptrdiff_t offsets[MOST_MOVES];
    for (int d = 0; d < grid.moves->count; ++d) {
        offsets[d] = moveOffset((*grid.moves)[d], rows);
    }
    // Resetting the cells of a big grid takes tens of milliseconds: looked at in stretches.
    for (std::size_t first = 0; first < cellCount; first += PROGRESS_STRIDE) {
        if (cancelAsked(part.cancel)) {
            part.cancelled = true;
            return;
        }
        for (std::size_t p = first, end = std::min(cellCount, first + PROGRESS_STRIDE); p < end;
             ++p) {
            cells.reset(p);
        }
    }
    const StepRange& range = rangeOf(grid, M);
    // A measure without costly steps leaves every cost at 0: one bucket holds all.
    const double dearest = range.dearest > 0.0 ? range.dearest : 1.0;
    const double width =
        range.dearest > 0.0 ? std::max(range.cheapest, dearest / MAX_BUCKETS_PER_STEP) : 1.0;
    BucketQueue& frontier = *part.frontier;
    frontier.reset(width, dearest);
    // No step costs less than the cheapest: a neighbour already below that far above a cell
    // can be neither lowered nor tied from it, and its step is not priced.
    const double leastStep = range.free ? 0.0 : range.cheapest;
    // The same for each move alone: a long move costs at least its run, which spares pricing it
    // towards a neighbour already cheaper than that.
    // Over the eight steps every move is of one cell: nothing to ask.
    constexpr bool ONE_CELL = std::is_same_v<Records, EightStepRecords>;
    constexpr bool LINES = !ONE_CELL && std::is_same_v<Prices, StepPrices>;
    double leastOf[MOST_MOVES];
    for (int d = 0; d < grid.moves->count; ++d) {
        leastOf[d] = leastStep;
        if constexpr (LINES) {
            leastOf[d] = std::max(leastStep, prices.template leastPrice<M>(d));
        }
    }
    const StepRange& otherRange = rangeOf(grid, OTHER);
    const double leastOther = otherRange.free ? 0.0 : otherRange.cheapest;
    // Where the processor and the prices allow, a cell's moves are offered eight at a time.
    bool wide = false;
    WideMoves wideMoves;
    alignas(64) double candidates[MOST_MOVES];
    uint64_t lowered[LOWERED_WORDS];
    if constexpr (std::is_same_v<Prices, StepPrices> && !REVERSED) {
        wide = offersWide(prices, M, grid.kernels);
        if (wide) {
            wideMoves = wideMovesOf(prices, rows);
        }
    }
    for (const std::size_t start : *part.starts) {
        // A start named twice waits once.
        if (!cells[start].waiting()) {
            cells[start].cost = 0.0;
            cells[start].tie = -0.0;
            frontier.push(frontier.bucketOf(0.0), static_cast<uint32_t>(start));
        }
    }
    std::size_t takenUp = 0;
    while (!frontier.empty()) {
        const std::size_t p = frontier.pop();
        if (const uint32_t* later = frontier.ahead(PREFETCH_DISTANCE)) {
            cells.prefetch(*later, cellCount, rows);
        }
        if (const uint32_t* far = frontier.ahead(RECORD_PREFETCH_DISTANCE)) {
            cells.prefetchRecord(*far);
        }
        if (!cells[p].waiting()) {
            continue;
        }
        cells[p].setWaiting(false);
        if (++takenUp % CANCEL_STRIDE == 0) {
            if (cancelAsked(part.cancel)) {
                part.cancelled = true;
                return;
            }
            if (takenUp % PROGRESS_STRIDE == 0 && part.report != nullptr) {
                part.report->update(takenUp);
            }
        }
        const double base = cells[p].cost;
        const double otherBase = cells[p].other();
        const float zp = cells.height(p);
        // Lowers the neighbour q through move d to `cost`, or ties it and lowers its other
        // measure; otherwise leaves it.
        const auto offer = [&](int d, std::size_t q, double cost, double otherPrice) {
            auto& next = cells[q];
            const double other = otherBase + otherPrice;
            if (cost == next.cost && !(other < next.other())) {
                return;
            }
            // A cell waiting in the bucket of its new cost keeps its entry there.
            const std::size_t bucket = frontier.bucketOf(cost);
            if (!next.waiting() || bucket != frontier.bucketOf(next.cost)) {
                next.setWaiting(true);
                frontier.push(bucket, static_cast<uint32_t>(q));
            }
            next.cost = cost;
            next.setOther(other);
            cells.arrived(q, static_cast<uint8_t>(d + 1));
        };
        const double tieReach = otherBase + leastOther;
        if constexpr (REVERSED) {
            // Every move of the set that may be taken into this cell: from q = p - its offset.
            // A flat index in the grid whose move d is open ends in the grid, so at p itself.
            for (int d = 0; d < grid.moves->count; ++d) {
                const std::ptrdiff_t from = static_cast<std::ptrdiff_t>(p) - offsets[d];
                if (from < 0 || from >= static_cast<std::ptrdiff_t>(cellCount) ||
                    !cells.takes(static_cast<std::size_t>(from), d)) {
                    continue;
                }
                const std::size_t q = static_cast<std::size_t>(from);
                const auto& next = cells[q];
                if (next.cost < base + leastOf[d] ||
                    (next.cost == base && !(next.other() > tieReach))) {
                    continue;
                }
                const float zq = cells.height(q);
                if constexpr (LINES) {
                    if (prices.isLong(d)) {
                        if (base + prices.template lineBound<M>(d, zq, zp) > next.cost) {
                            continue;
                        }
                        const auto [price, otherPrice] = prices.template alongLineIn<M>(q, d);
                        if (base + price <= next.cost) {
                            offer(d, q, base + price, otherPrice);
                        }
                        continue;
                    }
                }
                if constexpr (ONE_CELL) {
                    const double cost =
                        base + static_cast<double>(prices.template oneCellPrice<M>(q, d, zq, zp));
                    if (cost <= next.cost) {
                        offer(
                            d, q, cost,
                            static_cast<double>(prices.template oneCellPrice<OTHER>(q, d, zq, zp)));
                    }
                    continue;
                }
                const double cost =
                    base + static_cast<double>(prices.template price<M>(q, d, zq, zp));
                if (cost <= next.cost) {
                    offer(d, q, cost,
                          static_cast<double>(prices.template price<OTHER>(q, d, zq, zp)));
                }
            }
            continue;
        }
        if constexpr (std::is_same_v<Records, TableRecords> && std::is_same_v<Prices, StepPrices>) {
            if (wide) {
                if (offerWide<M>(wideMoves, p, base, zp, cells.movesOf(p), cells.cells,
                                 cells.heights, candidates, lowered)) {
                    for (int w = 0; w < LOWERED_WORDS; ++w) {
                        for (uint64_t bits = lowered[w]; bits != 0; bits &= bits - 1) {
                            const int d = 64 * w + __builtin_ctzll(bits);
                            const std::size_t q = p + offsets[d];
                            // A long move's candidate is its straight line's: its own line
                            // decides.
                            if (prices.isLong(d)) {
                                const auto [price, otherPrice] =
                                    prices.template alongLineIn<M>(p, d);
                                if (base + price <= cells[q].cost) {
                                    offer(d, q, base + price, otherPrice);
                                }
                                continue;
                            }
                            offer(d, q, candidates[d],
                                  static_cast<double>(
                                      prices.template price<OTHER>(p, d, zp, cells.height(q))));
                        }
                    }
                }
                continue;
            }
        }
        cells.forEachMoveOf(p, [&](int d) {
            const std::size_t q = p + offsets[d];
            const auto& next = cells[q];
            // A neighbour cheaper than any step from here can be neither lowered nor tied, and
            // one as cheap only tied by a free step that lowers its other measure.
            if (next.cost < base + leastOf[d] ||
                (next.cost == base && !(next.other() > tieReach))) {
                return;
            }
            // A long move's line gives both measures in one walk.
            if constexpr (LINES) {
                if (prices.isLong(d)) {
                    if (base + prices.template lineBound<M>(d, zp, cells.height(q)) > next.cost) {
                        return;
                    }
                    const auto [price, otherPrice] = prices.template alongLineIn<M>(p, d);
                    if (base + price <= next.cost) {
                        offer(d, q, base + price, otherPrice);
                    }
                    return;
                }
            }
            const float zq = cells.height(q);
            if constexpr (ONE_CELL) {
                const double cost =
                    base + static_cast<double>(prices.template oneCellPrice<M>(p, d, zp, zq));
                if (cost <= next.cost) {
                    offer(d, q, cost,
                          static_cast<double>(prices.template oneCellPrice<OTHER>(p, d, zp, zq)));
                }
                return;
            }
            const double cost = base + static_cast<double>(prices.template price<M>(p, d, zp, zq));
            if (cost <= next.cost) {
                offer(d, q, cost, static_cast<double>(prices.template price<OTHER>(p, d, zp, zq)));
            }
        });
    }
    // A table given back before the search is taken anew only as it is written, and a search
    // that gives its cells back does so a stretch at a time as their costs go out, so that the
    // table grows as the cells shrink.
    CostTable& costs = *part.costs;
    float* cost = costs.released() ? costs.unfilled() : costs.data();
    float* time = nullptr;
    if (part.evenTimes != nullptr) {
        time = part.evenTimes->released() ? part.evenTimes->unfilled() : part.evenTimes->data();
    }
    constexpr std::size_t STRETCH = HUGE_PAGE / sizeof(SearchCell);
    for (std::size_t first = 0; first < cellCount; first += STRETCH) {
        const std::size_t end = std::min(cellCount, first + STRETCH);
        for (std::size_t p = first; p < end; ++p) {
            cost[p] = static_cast<float>(cells[p].cost);
            if (time != nullptr) {
                time[p] = cost[p] == UNREACHED_COST ? UNREACHED_COST
                                                    : static_cast<float>(cells[p].cost * part.pace);
            }
            cells.finish(p);
        }
        if (part.lastInSpace) {
            // From the start of the page the stretch began in: all before it is out already.
            const auto stretchPage = reinterpret_cast<std::uintptr_t>(&cells[first]) / HUGE_PAGE;
            giveBackPages(reinterpret_cast<const void*>(stretchPage * HUGE_PAGE), &cells[0] + end);
        }
    }
}

template <SearchDirection DIRECTION = SearchDirection::Forward, typename Prices, typename Records>
void searchWith(MeasureSearch& part, const Prices& prices, const Records& records) {
    switch (part.measure) {
    case Measure::Distance:
        search<Measure::Distance, DIRECTION>(part, prices, records);
        return;
    case Measure::Energy:
        search<Measure::Energy, DIRECTION>(part, prices, records);
        return;
    case Measure::Time:
        // A timed grid's steps are priced from the heights: kinds price no time.
        if constexpr (std::is_same_v<Prices, StepPrices>) {
            search<Measure::Time, DIRECTION>(part, prices, records);
        }
        return;
    }
}

template <SearchDirection DIRECTION, typename Prices>
void searchMeasureWith(MeasureSearch& part, const Prices& prices) {
    const PlanningGrid& grid = *part.grid;
    const std::size_t cellCount = grid.shape.cells();
    const float* heights = grid.terrain->heights().data();
    if (grid.moves->count == NEIGHBOUR_COUNT) {
        searchWith<DIRECTION>(part, prices,
                              EightStepRecords{part.eightStepCells->reserve(cellCount), heights,
                                               grid.steps.data(), part.from});
        return;
    }
    searchWith<DIRECTION>(part, prices,
                          TableRecords{part.cells->reserve(cellCount), heights, grid.steps.data(),
                                       grid.moves->bitBytes(), part.from});
}

template <SearchDirection DIRECTION> void searchMeasureIn(MeasureSearch& part) {
    const PlanningGrid& grid = *part.grid;
    if (!grid.kinds.cells.empty()) {
        searchMeasureWith<DIRECTION>(part, KindPrices(grid));
    } else {
        // A copy, which the search keeps in registers rather than reading again after each store.
        const StepPrices prices = grid.prices;
        searchMeasureWith<DIRECTION>(part, prices);
    }
}

void searchMeasure(MeasureSearch& part) {
    if (part.direction == SearchDirection::Reversed) {
        searchMeasureIn<SearchDirection::Reversed>(part);
    } else {
        searchMeasureIn<SearchDirection::Forward>(part);
    }
    if (part.lastInSpace) {
        part.cells->release();
        part.eightStepCells->release();
    }
}

} // namespace

bool timesFromDistance(const PlanningGrid& grid) {
    return grid.timed && grid.kinds.cells.empty() && grid.prices.evenTime();
}

bool exactRoutes(const PlanningGrid& grid, int startX, int startY, ExactWorkspace& work,
                 RouteTables& out, const ProgressListener& progress, const CancelFlag* cancel) {
    return exactRoutesFrom(grid, {Cell{startX, startY}}, SearchDirection::Forward, work, out,
                           progress, cancel);
}

bool exactRoutesFrom(const PlanningGrid& grid, const std::vector<Cell>& startCells,
                     SearchDirection direction, ExactWorkspace& work, RouteTables& out,
                     const ProgressListener& progress, const CancelFlag* cancel) {
    out.useMoves(*grid.moves);
    std::vector<std::size_t> starts;
    for (const Cell& c : startCells) {
        if (canStartAt(grid, c.x, c.y)) {
            starts.push_back(grid.shape.index(c.x, c.y));
        }
    }
    if (starts.empty()) {
        resetRouteTables(out, -1, -1, grid.timed);
        return true;
    }
    ProgressReport report(PLANNING_WORK, grid.shape.cells(), progress);
    // The energy search, on this thread, tells how far it has come (the searches take up about
    // as many cells each); the others share the helper's space, one after the other.
    const Measure lastOnHelper = grid.timed ? Measure::Time : Measure::Distance;
    const auto measure = [&](Measure m) {
        const int k = m == Measure::Energy ? 1 : 0;
        if (!work.keepCells) {
            out.costs(m).release();
        }
        return MeasureSearch{&grid,
                             &starts,
                             &work.cells[k],
                             &work.eightStepCells[k],
                             &work.frontiers[k],
                             &out.costs(m),
                             out.previous(m).steps(),
                             m == Measure::Energy ? &report : nullptr,
                             m,
                             !work.keepCells && (m == Measure::Energy || m == lastOnHelper),
                             nullptr,
                             0.0,
                             direction,
                             cancel};
    };
    const auto anyCancelled = [](const auto& searches) {
        return std::any_of(searches.begin(), searches.end(),
                           [](const MeasureSearch& s) { return s.cancelled; });
    };
    if (timesFromDistance(grid)) {
        // The distance search fills both, and the two cores search the two other measures.
        if (!work.keepCells) {
            out.costs(Measure::Time).release();
        }
        std::array<MeasureSearch, 2> searches = {measure(Measure::Distance),
                                                 measure(Measure::Energy)};
        searches[0].lastInSpace = !work.keepCells;
        searches[0].evenTimes = &out.costs(Measure::Time);
        searches[0].pace = grid.prices.pace();
        runEach(searches, searchMeasure, work.helper);
        if (anyCancelled(searches)) {
            return false;
        }
        const uint8_t* shortest = out.previous(Measure::Distance).steps();
        std::copy(shortest, shortest + grid.shape.cells(), out.previous(Measure::Time).steps());
        out.timed = true;
        return true;
    }
    if (grid.timed) {
        std::array<MeasureSearch, 3> searches = {measure(Measure::Distance), measure(Measure::Time),
                                                 measure(Measure::Energy)};
        runEach(searches, searchMeasure, work.helper);
        out.timed = true;
        return !anyCancelled(searches);
    }
    std::array<MeasureSearch, 2> searches = {measure(Measure::Distance), measure(Measure::Energy)};
    runEach(searches, searchMeasure, work.helper);
    forgetTimes(out);
    return !anyCancelled(searches);
}
