// Building the planning grid: every move of every cell tested and priced once, column by
// column on both cores, with the price ranges the exact search sizes its buckets by and, on a
// small grid, the step kinds it looks prices up by.
#include "planner/planningGrid.h"

#include "planner/kernels/parallelWork.h"
#include "planner/kernels/wideLanes.h"
#include "planner/moveProfile.h"
#include "planner/sideSlope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

namespace {

// A cost range being gathered; folded into StepRange at the end. Costs are gathered by their bit
// patterns, which order like the values for positive floats: integer minima and maxima let the
// compiler take many steps at once, where float ones (NaN rules) would keep it to one.
struct RangeBuilder {
    static constexpr int32_t NONE_CHEAPER = 0x7f800000; // the bits of +infinity
    int32_t cheapest = NONE_CHEAPER;
    int32_t dearest = 0;
    bool free = false;

    void add(const RangeBuilder& other) {
        cheapest = std::min(cheapest, other.cheapest);
        dearest = std::max(dearest, other.dearest);
        free = free || other.free;
    }
    StepRange range() const {
        if (dearest == 0) {
            return StepRange{0.0, 0.0, free};
        }
        return StepRange{static_cast<double>(valueOf(cheapest)),
                         static_cast<double>(valueOf(dearest)), free};
    }
    static int32_t bitsOf(float f) {
        int32_t b;
        std::memcpy(&b, &f, sizeof b);
        return b;
    }
    // The bits of `value` when `counts`, else `otherwise`: masks rather than a choice, which
    // the compiler does not take many rows at once inside a minimum.
    static int32_t bitsOr(float value, bool counts, int32_t otherwise) {
        const int32_t mask = -static_cast<int32_t>(counts);
        return (bitsOf(value) & mask) | (otherwise & ~mask);
    }
    static float valueOf(int32_t b) {
        float f;
        std::memcpy(&f, &b, sizeof f);
        return f;
    }
};

// What one worker gathers over its columns. Moves into the columns past its own are kept aside
// and merged after the workers are done, so no two workers write one cell.
struct ColumnsPart {
    int from = 0;
    int to = 0;
    RangeBuilder lengths;
    RangeBuilder energies;
    std::vector<uint8_t> nextColumns; // the move bits of the set's reach of columns past `to`
    std::vector<uint8_t> forth;       // per row of the column being measured, scratch
    std::vector<uint8_t> back;
    ProfileScratch scratch;
    SideStrip side;
};

// What pricing and testing a move reads, copied into locals so that the stores into the move
// bits (which may alias anything) do not force it to be read again.
struct PairRules {
    MoveTest test;
    StepPrices prices;
    const float* rowY;           // per row, its position
    ProfileGround ground;        // for the ground along a move
    const MoveProfile* profiles; // per move of the set
    const SideRules* side;       // null when the vehicle leans any way
};

// A row offset known only when the grid is built, for the moves of more than one row.
struct AnyRows {
    int value;
};

// Measures move d from every cell of one column (heights zp, open flags openP) to its end in
// column heights zq (open flags openQ), rows `first` .. `last` - 1 of the first column, and marks
// the passable ones in `forth` (by row of the first) and `back` (by row of the second), as far as
// the two end cells tell. xSquare is the square of the gap between the two columns. A loop
// without branches or stores that alias, so that it runs several rows at once.
template <typename Rows>
[[gnu::always_inline]] inline void
measurePairs(const PairRules& rules, int d, Rows dy, float xSquare, const float* zp,
             const float* zq, const uint8_t* openP, const uint8_t* openQ, int first, int last,
             uint8_t* __restrict forth, uint8_t* __restrict back, RangeBuilder& lengths,
             RangeBuilder& energies) {
    const int DY = dy.value;
    const MoveTest test = rules.test;
    const float moveRun = rules.prices.moveRun(d);
    const float descent = rules.prices.descent();
    const float massGravity = rules.prices.massGravity();
    const float rolling = rules.prices.rolling(d);
    const float* rowY = rules.rowY;
    int32_t cheapLength = lengths.cheapest;
    int32_t dearLength = lengths.dearest;
    int32_t cheapEnergy = energies.cheapest;
    int32_t dearEnergy = energies.dearest;
    int freeLength = 0;
    int freeEnergy = 0;
    for (int y = first; y < last; ++y) {
        const float a = zp[y];
        const float b = zq[y + DY];
        const float ySquare = DY == 0 ? 0.0f : StepPrices::gapSquare(rowY[y], rowY[y + DY]);
        const Rise<float> up = riseOf(a, b);
        const Rise<float> down = riseOf(b, a);
        const float length = moveLength(up, xSquare, ySquare);
        const float change = b - a;
        const bool open = (openP[y] & openQ[y + DY]) != 0;
        const bool goesForth = open & test.passes(moveRun, length, change);
        const bool goesBack = open & test.passes(moveRun, length, -change);
        forth[y] = goesForth;
        back[y + DY] = goesBack;
        const bool any = goesForth | goesBack;
        const bool lengthCounts = any & (length > 0.0f);
        cheapLength = std::min(
            cheapLength, RangeBuilder::bitsOr(length, lengthCounts, RangeBuilder::NONE_CHEAPER));
        dearLength = std::max(dearLength, RangeBuilder::bitsOr(length, lengthCounts, 0));
        freeLength |= any & (length == 0.0f);
        const float upEnergy = moveEnergy(up, descent, massGravity, rolling);
        const float downEnergy = moveEnergy(down, descent, massGravity, rolling);
        const bool upCounts = goesForth & (upEnergy > 0.0f);
        const bool downCounts = goesBack & (downEnergy > 0.0f);
        cheapEnergy = std::min(
            cheapEnergy, RangeBuilder::bitsOr(upEnergy, upCounts, RangeBuilder::NONE_CHEAPER));
        cheapEnergy = std::min(
            cheapEnergy, RangeBuilder::bitsOr(downEnergy, downCounts, RangeBuilder::NONE_CHEAPER));
        dearEnergy = std::max(dearEnergy, RangeBuilder::bitsOr(upEnergy, upCounts, 0));
        dearEnergy = std::max(dearEnergy, RangeBuilder::bitsOr(downEnergy, downCounts, 0));
        freeEnergy |= (goesForth & (upEnergy == 0.0f)) | (goesBack & (downEnergy == 0.0f));
    }
    lengths.cheapest = cheapLength;
    lengths.dearest = dearLength;
    lengths.free = lengths.free || freeLength != 0;
    energies.cheapest = cheapEnergy;
    energies.dearest = dearEnergy;
    energies.free = energies.free || freeEnergy != 0;
}

// The same loop compiled for AVX2, eight rows at a time.
template <typename Rows>
WIDE_LANES void measurePairsWide(const PairRules& rules, int d, Rows dy, float xSquare,
                                 const float* zp, const float* zq, const uint8_t* openP,
                                 const uint8_t* openQ, int first, int last,
                                 uint8_t* __restrict forth, uint8_t* __restrict back,
                                 RangeBuilder& lengths, RangeBuilder& energies) {
    measurePairs(rules, d, dy, xSquare, zp, zq, openP, openQ, first, last, forth, back, lengths,
                 energies);
}

// Sets bit `bit` of the move bits of every row y in first .. last - 1 whose marks[y] is 1; a
// row's bits are `stride` bytes.
void markSteps(const uint8_t* marks, int first, int last, int bit, int stride, uint8_t* steps) {
    uint8_t* byte = steps + bit / 8;
    const int shift = bit % 8;
    for (int y = first; y < last; ++y) {
        byte[static_cast<std::ptrdiff_t>(y) * stride] |= static_cast<uint8_t>(marks[y] << shift);
    }
}

void measureColumns(const TerrainPositions& t, const PairRules& rules, PlanningGrid& grid,
                    ColumnsPart& part, const CancelFlag* cancel) {
    const GridShape shape = grid.shape;
    const MoveSet& moves = *grid.moves;
    const int rows = shape.rows;
    const int stride = moves.bitBytes();
    const float* z = t.heights().data();
    const uint8_t* open = grid.open.data();
    uint8_t* steps = grid.steps.data();
    const std::size_t columnBytes = static_cast<std::size_t>(rows) * stride;
    part.nextColumns.assign(columnBytes * moves.reach, 0);
    part.forth.assign(rows, 0);
    part.back.assign(rows, 0);
    uint8_t* forth = part.forth.data();
    uint8_t* back = part.back.data();
    const bool wide = takesWideLanes(grid.kernels);
    if (rules.side != nullptr) {
        part.side.start(rules.ground, *rules.side, part.from);
    }
    for (int x = part.from; x < part.to && !cancelAsked(cancel); ++x) {
        if (rules.side != nullptr) {
            part.side.reach(x);
        }
        const std::size_t column = shape.index(x, 0);
        const float* zp = z + column;
        const uint8_t* openP = open + column;
        uint8_t* stepsP = steps + column * stride;
        // The first half of the set; the second half is the same moves walked backwards.
        for (int d = 0; d < moves.count / 2; ++d) {
            const Move& s = moves[d];
            const int nx = x + s.dx;
            if (nx >= shape.columns) {
                continue;
            }
            const std::size_t neighbour = shape.index(nx, 0);
            uint8_t* stepsQ = nx >= part.to ? part.nextColumns.data() + (nx - part.to) * columnBytes
                                            : steps + neighbour * stride;
            const float xSquare = StepPrices::gapSquare(t.columnX(x), t.columnX(nx));
            // Rows whose move ends in the grid.
            const int first = std::max(0, -s.dy);
            const int last = std::min(rows, rows - s.dy);
            if (first >= last) {
                continue;
            }
            const auto measure = [&](auto dy) {
                if (wide) {
                    measurePairsWide(rules, d, dy, xSquare, zp, z + neighbour, openP,
                                     open + neighbour, first, last, forth, back, part.lengths,
                                     part.energies);
                    return;
                }
                measurePairs(rules, d, dy, xSquare, zp, z + neighbour, openP, open + neighbour,
                             first, last, forth, back, part.lengths, part.energies);
            };
            if (s.dy == 1) {
                measure(std::integral_constant<int, 1>{});
            } else if (s.dy == -1) {
                measure(std::integral_constant<int, -1>{});
            } else if (s.dy == 0) {
                measure(std::integral_constant<int, 0>{});
            } else {
                measure(AnyRows{s.dy});
            }
            // The price ranges keep the moves the end cells allow: a range wider than the moves
            // taken only makes the exact search's buckets a little finer.
            testAlongMoves(rules.ground, x, s, rules.profiles[d], first, last, forth, back,
                           part.scratch);
            if (rules.side != nullptr) {
                part.side.testMove(x, d, rules.profiles[d].crossings, first, last, forth, back);
            }
            markSteps(forth, first, last, d, stride, stepsP);
            markSteps(back, first + s.dy, last + s.dy, moves.opposite(d), stride, stepsQ);
        }
    }
}

// Fills grid.kinds from the grid's steps and prices, or leaves it empty when the grid is big, its
// columns or rows lie unevenly apart, or its steps take too many prices. On an evenly spaced grid
// a step's price depends only on its rise (as a float) and whether it is diagonal, so steps are
// sorted into kinds by those, through a small hash of the rise, and each kind priced once.
void findStepKinds(PlanningGrid& grid) {
    StepKinds& kinds = grid.kinds;
    kinds.cells.clear();
    const std::size_t cellCount = grid.shape.cells();
    const StepPrices& prices = grid.prices;
    // Kinds price lengths and energies alone, of a surface that rolls alike everywhere.
    if (workersFor(cellCount) > 1 || !prices.uniformRun() || grid.moves->count != NEIGHBOUR_COUNT ||
        grid.timed || !prices.evenRolling()) {
        return;
    }
    const float* z = grid.terrain->heights().data();
    const int rows = grid.shape.rows;
    kinds.prices[0] = {CLOSED_STEP, CLOSED_STEP};
    // Rises seen, by hash; each with its kind as a straight and as a diagonal step (0: none yet).
    constexpr unsigned SLOT_BITS = 6;
    struct Slot {
        float rise;
        uint8_t kind[2];
        bool used;
    };
    Slot slots[1u << SLOT_BITS] = {};
    int count = 1;
    std::vector<uint32_t> cells(cellCount, 0);
    for (std::size_t p = 0; p < cellCount; ++p) {
        for (unsigned open = grid.steps[p]; open != 0; open &= open - 1) {
            const int d = __builtin_ctz(open);
            const float zq = z[p + neighbourOffset(d, rows)];
            // +0 for -0: both price the same.
            const float rise = zq - z[p] + 0.0f;
            uint32_t bits = 0;
            std::memcpy(&bits, &rise, sizeof bits);
            unsigned at = (bits * 0x9E3779B1u) >> (32 - SLOT_BITS);
            while (slots[at].used && slots[at].rise != rise) {
                at = (at + 1) & ((1u << SLOT_BITS) - 1);
            }
            Slot& slot = slots[at];
            slot.used = true;
            slot.rise = rise;
            uint8_t& kind = slot.kind[isDiagonal(d) ? 1 : 0];
            if (kind == 0) {
                if (count == STEP_KINDS) {
                    return;
                }
                kinds.prices[count] = {prices.length(p, d, z[p], zq),
                                       prices.energy(p, d, z[p], zq)};
                kind = static_cast<uint8_t>(count++);
            }
            cells[p] |= static_cast<uint32_t>(kind) << (STEP_KIND_BITS * d);
        }
    }
    kinds.cells.swap(cells);
}

// The pace (seconds a metre) of each cell and the rolling coefficient of its surface from the
// cover, where it varies; the vehicle's top speed caps every speed.
void takeCover(const GroundCover& cover, const Vehicle& vehicle, PlanningGrid& grid) {
    grid.pace.clear();
    grid.rolling.clear();
    if (cover.empty()) {
        return;
    }
    const std::size_t cellCount = grid.shape.cells();
    grid.pace.resize(cellCount);
    bool surfaces = false;
    for (std::size_t p = 0; p < cellCount; ++p) {
        const double kmh = cover.speedKmh[p];
        grid.pace[p] =
            paceOf(std::isnan(kmh) ? vehicle.topSpeedKmh : std::min(kmh, vehicle.topSpeedKmh));
        surfaces = surfaces || !std::isnan(cover.rolling[p]);
    }
    if (surfaces) {
        grid.rolling.resize(cellCount);
        for (std::size_t p = 0; p < cellCount; ++p) {
            grid.rolling[p] = std::isnan(cover.rolling[p]) ? vehicle.rolling : cover.rolling[p];
        }
    }
}

// The least and the greatest of the values of `cells` that `counts` picks, else `none` twice.
template <typename T, typename Counts>
std::pair<T, T> extremesOf(const std::vector<T>& cells, T none, Counts&& counts) {
    bool any = false;
    T least = none;
    T most = none;
    for (std::size_t p = 0; p < cells.size(); ++p) {
        if (counts(p)) {
            least = any ? std::min(least, cells[p]) : cells[p];
            most = any ? std::max(most, cells[p]) : cells[p];
            any = true;
        }
    }
    return {least, most};
}

// Bounds on the time of a move, from the lengths and the paces: a move costs at least its length
// at the least pace, and at most its length at the greatest pace or at the speed the power keeps
// up on the steepest climb the vehicle takes. The bucketed search needs the least exactly and the
// greatest roughly.
StepRange timeRange(const PlanningGrid& grid, const Vehicle& vehicle, float rollingMost) {
    const auto [leastPace, mostPace] =
        extremesOf(grid.pace, grid.prices.pace(), [&](std::size_t p) { return grid.open[p] != 0; });
    StepRange range;
    range.cheapest = grid.lengths.cheapest * leastPace;
    range.dearest = grid.lengths.dearest * mostPace;
    range.free = grid.lengths.free;
    if (vehicle.powerKw > 0.0) {
        // A tenth over the steepest grade, for what the float test lets through.
        const double grade = vehicle.gradeUpPercent / 100.0 * 1.1 + rollingMost;
        const double force = static_cast<double>(vehicle.vehicleMass) * STANDARD_GRAVITY * grade;
        range.dearest = std::max(range.dearest, grid.lengths.dearest * force /
                                                    (vehicle.powerKw * WATTS_PER_KILOWATT));
    }
    return range;
}

// The ranges gathered above price every move from its two end cells. A move of more than one cell
// is priced along its line instead, which may come out a rounding below what its ends say (a
// straight line summed in other roundings) or well above it (the bumps it drives over): the least
// prices are lowered by a margin far above any rounding, so that the search never passes over a
// move cheaper than it thinks any is, and the greatest raised to what the grades let a line
// climb and drop, so that its buckets still hold the dearest move.
void widenForLines(PlanningGrid& grid, const Vehicle& vehicle, double rollingMost) {
    constexpr double PERCENT = 100.0;
    grid.lengths.cheapest *= LINE_ROUNDING_MARGIN;
    grid.energies.cheapest *= LINE_ROUNDING_MARGIN;
    const double longestRun =
        std::sqrt(static_cast<double>(grid.moves->longestSquare())) * grid.shape.spacing;
    const double up = vehicle.gradeUpPercent / PERCENT;
    const double down = vehicle.gradeDownPercent / PERCENT;
    const double steepest = std::max(up, down);
    if (grid.lengths.dearest > 0.0) {
        grid.lengths.dearest =
            std::max(grid.lengths.dearest, longestRun * std::sqrt(1.0 + steepest * steepest));
    }
    if (grid.energies.dearest > 0.0) {
        const double massGravity = static_cast<double>(vehicle.vehicleMass) * STANDARD_GRAVITY;
        const double lift = (up + vehicle.descent * down + rollingMost) * massGravity * longestRun;
        grid.energies.dearest = std::max(grid.energies.dearest, lift);
    }
}

} // namespace

bool markOpenCells(const TerrainPositions& terrain, const std::vector<uint8_t>& closed,
                   const GroundCover& cover, PlanningGrid& grid) {
    const GridShape& shape = terrain.shape();
    const std::vector<float>& heights = terrain.heights();
    grid.shape = shape;
    grid.open.resize(shape.cells());
    bool anyClosed = false;
    for (std::size_t p = 0; p < shape.cells(); ++p) {
        const bool shut = (!closed.empty() && closed[p] != 0) || cover.closes(p);
        grid.open[p] = !std::isnan(heights[p]) && !shut ? 1 : 0;
        anyClosed = anyClosed || shut;
    }
    return anyClosed;
}

bool buildPlanningGrid(const TerrainPositions& terrain, const GroundUse& use, PlanningGrid& grid) {
    const MoveSet& moves = use.moves;
    const std::vector<uint8_t>& closed = use.closed;
    const GridShape& shape = terrain.shape();
    grid.shape = shape;
    grid.terrain = &terrain;
    grid.moves = &moves;
    grid.timed = use.timed;
    grid.kernels = use.kernels;
    takeCover(use.cover, use.vehicle, grid);
    const std::vector<float>& heights = terrain.heights();
    const bool anyClosed = markOpenCells(terrain, closed, use.cover, grid);
    // The least and the greatest rolling coefficient of the open cells: the energy ranges are
    // gathered at the least, and the greatest widens them after.
    const auto [rollingLeast, rollingMost] = extremesOf(
        grid.rolling, use.vehicle.rolling, [&](std::size_t p) { return grid.open[p] != 0; });
    Vehicle ranged = use.vehicle;
    ranged.rolling = rollingLeast;
    grid.prices = StepPrices(terrain, use.vehicle, moves);
    grid.prices.useCells(grid.pace.empty() ? nullptr : grid.pace.data(),
                         grid.rolling.empty() ? nullptr : grid.rolling.data());
    const int stride = moves.bitBytes();
    grid.steps.assign(shape.cells() * stride, 0);
    std::vector<float> rowY(shape.rows);
    for (int y = 0; y < shape.rows; ++y) {
        rowY[y] = terrain.rowY(y);
    }
    // The heights the profile test reads: NaN where a barrier or the cover closes a cell, as
    // where it has no ground. A copy only when some cell is closed.
    std::vector<float> closedAsHoles;
    if (anyClosed) {
        closedAsHoles = heights;
        for (std::size_t p = 0; p < shape.cells(); ++p) {
            closedAsHoles[p] = grid.open[p] != 0 ? heights[p] : NAN;
        }
    }
    std::vector<MoveProfile> profiles;
    for (const Move& m : moves) {
        profiles.push_back(moveProfileOf(m, shape.spacing, use.vehicle.gradeUpPercent,
                                         use.vehicle.gradeDownPercent));
    }
    const bool leans = use.vehicle.sideSlopePercent != NO_SIDE_SLOPE;
    const SideRules side = leans ? sideRulesOf(moves, use.vehicle.sideSlopePercent) : SideRules{};
    const PairRules rules{MoveTest::of(use.vehicle),
                          StepPrices(terrain, ranged, moves),
                          rowY.data(),
                          ProfileGround{shape, anyClosed ? closedAsHoles.data() : heights.data(),
                                        nullptr, use.kernels},
                          profiles.data(),
                          leans ? &side : nullptr};
    std::vector<ColumnsPart> parts(workersFor(shape.cells()));
    for (std::size_t k = 0; k < parts.size(); ++k) {
        parts[k].from = static_cast<int>(shape.columns * k / parts.size());
        parts[k].to = static_cast<int>(shape.columns * (k + 1) / parts.size());
    }
    runEach(parts,
            [&](ColumnsPart& part) { measureColumns(terrain, rules, grid, part, use.cancel); });
    if (cancelAsked(use.cancel)) {
        return false;
    }
    RangeBuilder lengths;
    RangeBuilder energies;
    const std::size_t columnBytes = static_cast<std::size_t>(shape.rows) * stride;
    for (const ColumnsPart& part : parts) {
        lengths.add(part.lengths);
        energies.add(part.energies);
        for (int c = 0; c < moves.reach && part.to + c < shape.columns; ++c) {
            uint8_t* into = grid.steps.data() + shape.index(part.to + c, 0) * stride;
            const uint8_t* from = part.nextColumns.data() + c * columnBytes;
            for (std::size_t k = 0; k < columnBytes; ++k) {
                into[k] |= from[k];
            }
        }
    }
    grid.lengths = lengths.range();
    grid.energies = energies.range();
    if (rollingMost > rollingLeast) {
        // A rougher surface than the least adds at most its rolling energy over the longest run.
        const double longestRun =
            std::sqrt(static_cast<double>(moves.longestSquare())) * shape.spacing;
        grid.energies.dearest += (static_cast<double>(rollingMost) - rollingLeast) *
                                 use.vehicle.vehicleMass * STANDARD_GRAVITY * longestRun * 1.01;
    }
    if (grid.prices.anyLong()) {
        widenForLines(grid, use.vehicle, rollingMost);
    }
    grid.times = timeRange(grid, use.vehicle, rollingMost);
    findStepKinds(grid);
    return true;
}
