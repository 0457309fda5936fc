#include "planner/defaultEnds.h"

#include "planner/parallelWork.h"

#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

namespace {

// Disjoint sets over the cells, halving paths as it finds roots. A set is named by its smallest
// cell, so every cell's parent is at or below it.
class CellSets {
  public:
    explicit CellSets(std::size_t cells) : parent_(cells) {}

    // Makes each cell of [first, last) a set of its own.
    void separate(std::size_t first, std::size_t last) {
        std::iota(parent_.begin() + first, parent_.begin() + last, static_cast<uint32_t>(first));
    }
    uint32_t root(uint32_t p) {
        while (parent_[p] != p) {
            parent_[p] = parent_[parent_[p]];
            p = parent_[p];
        }
        return p;
    }
    void join(uint32_t a, uint32_t b) {
        a = root(a);
        b = root(b);
        if (a != b) {
            parent_[a < b ? b : a] = a < b ? a : b;
        }
    }
    // Points cell p straight at its set's name. Every cell below p must have been flattened.
    uint32_t flatten(uint32_t p) { return parent_[p] = parent_[parent_[p]]; }
    // The name of p's set, once every cell has been flattened.
    uint32_t nameOf(uint32_t p) const { return parent_[p]; }

  private:
    std::vector<uint32_t> parent_;
};

// Joins the cells of columns [from, to) that a step either way joins, looking at each
// neighbouring pair once, from the cell whose half of the table names it (the first half, whose
// steps never lead to an earlier column): within the columns when `within`, else only the pairs
// into column `to`. Only cells of the columns it joins are
// written, so two runs over disjoint columns may go on at once.
void joinColumns(const PlanningGrid& grid, int from, int to, bool within, CellSets& sets) {
    const GridShape& shape = grid.shape;
    for (int x = from; x < to; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            for (int d = 0; d < NEIGHBOUR_COUNT / 2; ++d) {
                const int nx = x + NEIGHBOUR_STEPS[d].dx;
                if ((nx < to) != within || !shape.contains(nx, y + NEIGHBOUR_STEPS[d].dy)) {
                    continue;
                }
                const std::size_t q = p + neighbourOffset(d, shape.rows);
                if ((grid.steps[p] & (1u << d)) != 0 ||
                    (grid.steps[q] & (1u << oppositeNeighbour(d))) != 0) {
                    sets.join(static_cast<uint32_t>(p), static_cast<uint32_t>(q));
                }
            }
        }
    }
}

// A run of columns one worker labels.
struct ColumnRun {
    int from;
    int to;
};

double squaredDistance(double ax, double ay, double bx, double by) {
    return (ax - bx) * (ax - bx) + (ay - by) * (ay - by);
}

} // namespace

std::optional<RouteEnds> defaultRouteEnds(const PlanningGrid& grid) {
    const GridShape& shape = grid.shape;
    CellSets sets(shape.cells());
    // Each worker labels its own columns; the steps between two workers' columns come after.
    std::vector<ColumnRun> runs(workersFor(shape.cells()));
    for (std::size_t k = 0; k < runs.size(); ++k) {
        runs[k] = {static_cast<int>(shape.columns * k / runs.size()),
                   static_cast<int>(shape.columns * (k + 1) / runs.size())};
    }
    runEach(runs, [&](const ColumnRun& run) {
        sets.separate(shape.index(run.from, 0), shape.index(run.to, 0));
        joinColumns(grid, run.from, run.to, true, sets);
    });
    for (std::size_t k = 0; k + 1 < runs.size(); ++k) {
        joinColumns(grid, runs[k].to - 1, runs[k].to, false, sets);
    }
    // In cell order, a cell's parent is flattened before it.
    std::vector<uint32_t> sizes(shape.cells(), 0);
    uint32_t best = 0;
    bool found = false;
    for (int x = 0; x < shape.columns; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            const uint32_t r = sets.flatten(static_cast<uint32_t>(p));
            if (x == 0 || y == 0 || x + 1 == shape.columns || y + 1 == shape.rows ||
                grid.open[p] == 0) {
                continue;
            }
            ++sizes[r];
            if (!found || sizes[r] > sizes[best] || (sizes[r] == sizes[best] && r < best)) {
                best = r;
                found = true;
            }
        }
    }
    if (!found) {
        return std::nullopt;
    }
    const double centreX = (shape.columns - 1) / 2.0;
    const double centreY = (shape.rows - 1) / 2.0;
    RouteEnds ends{0, 0, 0, 0};
    double nearest = std::numeric_limits<double>::infinity();
    for (int x = 1; x + 1 < shape.columns; ++x) {
        for (int y = 1; y + 1 < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            const double d = squaredDistance(x, y, centreX, centreY);
            if (grid.open[p] != 0 && d < nearest && sets.nameOf(static_cast<uint32_t>(p)) == best) {
                nearest = d;
                ends.startX = x;
                ends.startY = y;
            }
        }
    }
    double farthest = -1.0;
    for (int x = 1; x + 1 < shape.columns; ++x) {
        for (int y = 1; y + 1 < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            const double d = squaredDistance(x, y, ends.startX, ends.startY);
            if (grid.open[p] != 0 && d > farthest &&
                sets.nameOf(static_cast<uint32_t>(p)) == best) {
                farthest = d;
                ends.endX = x;
                ends.endY = y;
            }
        }
    }
    return ends;
}
