#include "planner/defaultEnds.h"

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

  private:
    std::vector<uint32_t> parent_;
};

// True when a step either way joins cell p and its neighbour d, which lies in the grid.
bool joined(const PlanningGrid& grid, std::size_t p, int d) {
    const std::size_t q = p + neighbourOffset(d, grid.shape.rows);
    return (grid.steps[p] & (1u << d)) != 0 || (grid.steps[q] & (1u << oppositeNeighbour(d))) != 0;
}

// Down the column (0, +1) and into the next column (+1, any), as NEIGHBOUR_STEPS numbers them.
constexpr int DOWN_STEP = 3;
constexpr int NEXT_COLUMN_STEPS = 3;

// Names in piece[p] the set of cells joined by steps that holds cell p; returns how many names
// there may be (all below it).
uint32_t labelPieces(const PlanningGrid& grid, std::vector<uint32_t>& piece) {
    const GridShape& shape = grid.shape;
    piece.resize(shape.cells());
    RunSets runs;
    for (int x = 0; x < shape.columns; ++x) {
        for (int y = 0; y < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            piece[p] = y > 0 && joined(grid, p - 1, DOWN_STEP) ? piece[p - 1] : runs.add();
        }
        // Neighbouring cells mostly join the same two runs: each pair is joined once in a row.
        uint32_t lastFrom = 0;
        uint32_t lastTo = 0;
        bool any = false;
        for (int y = 0; x > 0 && y < shape.rows; ++y) {
            const std::size_t p = shape.index(x - 1, y);
            for (int d = 0; d < NEXT_COLUMN_STEPS; ++d) {
                if (!shape.contains(x, y + NEIGHBOUR_STEPS[d].dy) || !joined(grid, p, d)) {
                    continue;
                }
                const uint32_t to = piece[p + neighbourOffset(d, shape.rows)];
                if (any && piece[p] == lastFrom && to == lastTo) {
                    continue;
                }
                runs.join(piece[p], to);
                lastFrom = piece[p];
                lastTo = to;
                any = true;
            }
        }
    }
    // Each run's set is found once; naming the cells then reads a table as small as the runs.
    std::vector<uint32_t> names(runs.size());
    for (uint32_t r = 0; r < names.size(); ++r) {
        names[r] = runs.root(r);
    }
    for (uint32_t& name : piece) {
        name = names[name];
    }
    return static_cast<uint32_t>(runs.size());
}

double squaredDistance(double ax, double ay, double bx, double by) {
    return (ax - bx) * (ax - bx) + (ay - by) * (ay - by);
}

} // namespace

std::optional<RouteEnds> defaultRouteEnds(const PlanningGrid& grid) {
    const GridShape& shape = grid.shape;
    std::vector<uint32_t> piece;
    std::vector<uint32_t> sizes(labelPieces(grid, piece), 0);
    uint32_t best = 0;
    bool found = false;
    for (int x = 1; x + 1 < shape.columns; ++x) {
        for (int y = 1; y + 1 < shape.rows; ++y) {
            const std::size_t p = shape.index(x, y);
            if (grid.open[p] == 0) {
                continue;
            }
            const uint32_t r = piece[p];
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
            if (grid.open[p] != 0 && d < nearest && piece[p] == best) {
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
            if (grid.open[p] != 0 && d > farthest && piece[p] == best) {
                farthest = d;
                ends.endX = x;
                ends.endY = y;
            }
        }
    }
    return ends;
}
