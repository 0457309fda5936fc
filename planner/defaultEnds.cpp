// The default route ends: the pieces of ground the moves join, labelled column by column on
// both cores as runs of cells merged in disjoint sets, then the largest piece's cell nearest
// the centre and its cell farthest from that.
#include "planner/defaultEnds.h"

#include "planner/kernels/parallelWork.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// Disjoint sets of runs: a run is a stretch of one column whose cells are joined down the column.
// A set is named by its first run, and runs are numbered in cell order, so of two sets the one
// holding the smaller cell has the smaller name. There are far fewer runs than cells, so the sets
// stay in the nearest caches while the cells are read in order.
class RunSets {
  public:
    uint32_t add() {
        parent_.push_back(static_cast<uint32_t>(parent_.size()));
        return parent_.back();
    }
    // Halves the path as it goes.
    uint32_t root(uint32_t r) {
        while (parent_[r] != r) {
            parent_[r] = parent_[parent_[r]];
            r = parent_[r];
        }
        return r;
    }
    void join(uint32_t a, uint32_t b) {
        a = root(a);
        b = root(b);
        if (a != b) {
            parent_[a < b ? b : a] = a < b ? a : b;
        }
    }
    std::size_t size() const { return parent_.size(); }
    // Takes in the runs of `other`, numbered after these, as they are joined there.
    void append(const RunSets& other) {
        const auto offset = static_cast<uint32_t>(parent_.size());
        for (const uint32_t parent : other.parent_) {
            parent_.push_back(parent + offset);
        }
    }

  private:
    std::vector<uint32_t> parent_;
};

// True when move d either way joins cell p and the end of the move, which lies in the grid.
bool joined(const PlanningGrid& grid, std::size_t p, int d) {
    const std::size_t q = p + moveOffset((*grid.moves)[d], grid.shape.rows);
    return takesMove(grid, p, d) || takesMove(grid, q, grid.moves->opposite(d));
}

// The sets of cells joined by steps, as runs: names[runOf(p)] is the name of the set that holds
// cell p, and ground[r] how many cells of run r a dialogue may name that are open. The columns are
// labelled in two blocks at once; the second block's runs, from cell `split` on, are numbered from
// `offset` on in the names.
struct Pieces {
    std::vector<uint32_t> run; // per cell, its run in its block
    std::vector<uint32_t> names;
    std::vector<uint32_t> ground;
    std::size_t split = 0;
    uint32_t offset = 0;

    uint32_t runOf(std::size_t p) const { return run[p] + (p >= split ? offset : 0); }
    bool holds(const PlanningGrid& grid, std::size_t p, uint32_t set) const {
        return grid.open[p] != 0 && names[runOf(p)] == set;
    }
};

// Joins the runs of column x with those of the columns `lowest` .. `highest` before it they have
// moves between, the runs numbered by runOf(cell).
template <typename RunOf>
void joinColumns(const PlanningGrid& grid, int x, int lowest, int highest, const RunOf& runOf,
                 RunSets& runs) {
    const GridShape& shape = grid.shape;
    const MoveSet& moves = *grid.moves;
    // The set lists the moves into later columns in its first half.
    for (int d = 0; d < moves.count / 2; ++d) {
        const Move& m = moves[d];
        const int from = x - m.dx;
        if (m.dx == 0 || from < lowest || from > highest) {
            continue;
        }
        // Neighbouring cells mostly join the same two runs: each pair is joined once in a row.
        uint32_t lastFrom = 0;
        uint32_t lastTo = 0;
        bool any = false;
        for (int y = std::max(0, -m.dy); y < std::min(shape.rows, shape.rows - m.dy); ++y) {
            const std::size_t p = shape.index(from, y);
            if (!joined(grid, p, d)) {
                continue;
            }
            const uint32_t a = runOf(p);
            const uint32_t b = runOf(p + moveOffset(m, shape.rows));
            if (any && a == lastFrom && b == lastTo) {
                continue;
            }
            runs.join(a, b);
            lastFrom = a;
            lastTo = b;
            any = true;
        }
    }
}

// The runs of columns [first, last) into `run`, numbered from 0 and joined within the block.
struct Block {
    int first;
    int last;
    RunSets runs;
    std::vector<uint32_t> ground; // as Pieces::ground
};

void labelBlock(const PlanningGrid& grid, std::vector<uint32_t>& run, Block& block) {
    const GridShape& shape = grid.shape;
    const auto local = [&run](std::size_t p) { return run[p]; };
    // Down the column: the move that joins a run's cells.
    const int down = grid.moves->numberOf(0, 1);
    for (int x = block.first; x < block.last; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            if (y > 0 && joined(grid, p - 1, down)) {
                run[p] = run[p - 1];
            } else {
                run[p] = block.runs.add();
                block.ground.push_back(0);
            }
            const bool counted = shape.nameable(x, y) && grid.open[p] != 0;
            block.ground[run[p]] += counted ? 1 : 0;
        }
        joinColumns(grid, x, block.first, x - 1, local, block.runs);
    }
}

void labelPieces(const PlanningGrid& grid, Pieces& pieces) {
    const GridShape& shape = grid.shape;
    pieces.run.resize(shape.cells());
    const int split = workersFor(shape.cells()) == 1 ? shape.columns : shape.columns / 2;
    std::vector<Block> blocks;
    blocks.push_back({0, split, {}, {}});
    if (split < shape.columns) {
        blocks.push_back({split, shape.columns, {}, {}});
    }
    runEach(blocks, [&](Block& block) { labelBlock(grid, pieces.run, block); });
    RunSets& runs = blocks[0].runs;
    pieces.split = shape.index(split, 0);
    pieces.offset = static_cast<uint32_t>(runs.size());
    pieces.ground = std::move(blocks[0].ground);
    if (blocks.size() == 2) {
        runs.append(blocks[1].runs);
        pieces.ground.insert(pieces.ground.end(), blocks[1].ground.begin(), blocks[1].ground.end());
        const auto global = [&pieces](std::size_t p) { return pieces.runOf(p); };
        for (int x = split; x < std::min(shape.columns, split + grid.moves->reach); ++x) {
            joinColumns(grid, x, 0, split - 1, global, runs);
        }
    }
    pieces.names.resize(runs.size());
    for (uint32_t r = 0; r < runs.size(); ++r) {
        pieces.names[r] = runs.root(r);
    }
}

double squaredDistance(double ax, double ay, double bx, double by) {
    return (ax - bx) * (ax - bx) + (ay - by) * (ay - by);
}

// True when some move may be taken out of cell p.
bool movesOut(const PlanningGrid& grid, std::size_t p) {
    const uint8_t* bits = movesAt(grid, p);
    return std::any_of(bits, bits + grid.moves->bitBytes(), [](uint8_t b) { return b != 0; });
}

// Looks at the cells a dialogue may name in column x for one of `set` beyond `best` (squared
// metres in cells from (fromX, fromY); ties: the smaller flat index, kept in `at`): nearer when
// `nearer`, else farther; only cells a move leaves when `moving`.
void weighColumn(const PlanningGrid& grid, const Pieces& pieces, uint32_t set, int x, double fromX,
                 double fromY, bool nearer, bool moving, double& best, std::size_t& at) {
    for (int y = FIRST_ENTRY_CELL; y < grid.shape.rows; ++y) {
        const std::size_t p = grid.shape.index(x, y);
        const double d = squaredDistance(x, y, fromX, fromY);
        const bool beyond = nearer ? d < best : d > best;
        if ((beyond || (d == best && p < at)) && pieces.holds(grid, p, set) &&
            (!moving || movesOut(grid, p))) {
            best = d;
            at = p;
        }
    }
}

} // namespace

std::optional<RouteEnds> defaultRouteEnds(const PlanningGrid& grid) {
    const GridShape& shape = grid.shape;
    Pieces pieces;
    labelPieces(grid, pieces);
    std::vector<uint32_t> sizes(pieces.names.size(), 0);
    for (uint32_t r = 0; r < sizes.size(); ++r) {
        sizes[pieces.names[r]] += pieces.ground[r];
    }
    uint32_t best = 0;
    for (uint32_t r = 1; r < sizes.size(); ++r) {
        best = sizes[r] > sizes[best] ? r : best;
    }
    if (sizes.empty() || sizes[best] == 0) {
        return std::nullopt;
    }
    // Columns in order of their distance from the centre's, until none can hold a nearer cell:
    // first among the cells the vehicle can leave (with moves one way only, a cell of the piece
    // may be one it can only enter), then, when the piece has none, among all of its cells.
    const double centreX = (shape.columns - 1) / 2.0;
    const double centreY = (shape.rows - 1) / 2.0;
    std::size_t start = shape.cells();
    const int middle = static_cast<int>(centreX);
    for (const bool moving : {true, false}) {
        double nearest = std::numeric_limits<double>::infinity();
        for (int r = 0; (r - 0.5) * (r - 0.5) <= nearest; ++r) {
            for (const int x : {middle - r, middle + r + 1}) {
                const double dx = x - centreX;
                if (x >= FIRST_ENTRY_CELL && x < shape.columns && dx * dx <= nearest) {
                    weighColumn(grid, pieces, best, x, centreX, centreY, true, moving, nearest,
                                start);
                }
            }
            if (middle - r < FIRST_ENTRY_CELL && middle + r + 1 >= shape.columns) {
                break;
            }
        }
        if (start != shape.cells()) {
            break;
        }
    }
    const int startX = static_cast<int>(start / shape.rows);
    const int startY = static_cast<int>(start % shape.rows);
    // Columns from the farther edge inwards, until none can hold a farther cell.
    const double reachY = std::max(startY - FIRST_ENTRY_CELL, shape.rows - 1 - startY);
    double farthest = -1.0;
    std::size_t end = shape.cells();
    for (int low = FIRST_ENTRY_CELL, high = shape.columns - 1; low <= high;) {
        const int x = startX - low >= high - startX ? low++ : high--;
        const double dx = x - startX;
        if (dx * dx + reachY * reachY < farthest) {
            break;
        }
        weighColumn(grid, pieces, best, x, startX, startY, false, false, farthest, end);
    }
    return RouteEnds{startX, startY, static_cast<int>(end / shape.rows),
                     static_cast<int>(end % shape.rows)};
}
