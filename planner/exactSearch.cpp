// The exact search: the search loop of planner/searchLoop.h once per measure, its records,
// prices and offers chosen once per plan (a price looked up by step kind, or worked out from the
// heights, eight moves at a time where the processor allows), the measures searched two at a
// time on the two cores and their costs rounded into the route tables at the end.
#include "planner/exactSearch.h"

#include "planner/kernels/eightStepRecords.h"
#include "planner/kernels/prefetchingFrontier.h"
#include "planner/kernels/wideOffers.h"
#include "planner/searchLoop.h"
#include "planner/searchMoves.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace {

// Buckets are never narrower than this share of the dearest step, so the ring of buckets stays
// small whatever the ground (the tails it pushes to stay in the nearest cache); steps cheaper
// than a bucket are taken up inside it.
constexpr double MAX_BUCKETS_PER_STEP = 64.0;

// The least prices of a step in measure m.
const StepRange& rangeOf(const PlanningGrid& grid, Measure m) {
    return m == Measure::Distance ? grid.lengths
           : m == Measure::Energy ? grid.energies
                                  : grid.times;
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

// One measure's search from the part's starts, its moves offered one by one (or eight at a time
// where the processor and the prices allow), then its costs rounded to float into the tables.
// Prices is StepPrices, or KindPrices on a grid whose steps come in kinds; Records is
// TableRecords or EightStepRecords. Reversed, the moves are taken one by one.
template <Measure M, SearchDirection DIRECTION, typename Prices, typename Records>
void search(MeasureSearch& part, const Prices& prices, const Records& cells) {
    const PlanningGrid& grid = *part.grid;
    const std::size_t cellCount = grid.shape.cells();
    const StepRange& range = rangeOf(grid, M);
    // A measure without costly steps leaves every cost at 0: one bucket holds all.
    const double dearest = range.dearest > 0.0 ? range.dearest : 1.0;
    const double width =
        range.dearest > 0.0 ? std::max(range.cheapest, dearest / MAX_BUCKETS_PER_STEP) : 1.0;
    part.frontier->reset(width, dearest);
    PrefetchingFrontier<Records> frontier(*part.frontier, cells, cellCount, grid.shape.rows);
    const MoveFloor floor = MoveFloor::of<M>(grid, prices, range, rangeOf(grid, otherMeasure(M)));
    SearchWatch watch{part.report, part.cancel};
    const auto run = [&](auto&& moves) {
        return searchLoop(cellCount, *part.starts, cells, moves, frontier, watch);
    };
    bool finished = false;
    if constexpr (DIRECTION == SearchDirection::Reversed) {
        finished = run(ReversedMoves<M, Prices, Records>{prices, floor, cellCount});
    } else if constexpr (std::is_same_v<Records, TableRecords> &&
                         std::is_same_v<Prices, StepPrices>) {
        finished = offersWide(prices, M, grid.kernels)
                       ? run(WideForwardMoves<M>(prices, floor, grid.shape.rows))
                       : run(ForwardMoves<M, Prices, Records>{prices, floor});
    } else {
        finished = run(ForwardMoves<M, Prices, Records>{prices, floor});
    }
    if (!finished) {
        part.cancelled = true;
        return;
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
