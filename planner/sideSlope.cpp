// The side-slope test, strip by strip of columns as the planning grid is built, and what a route
// leans along its length.
#include "planner/sideSlope.h"

#include "planner/kernels/wideLanes.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A neighbour's height, or the centre's where the neighbour is off the grid or closed.
double heightOr(const ProfileGround& ground, int x, int y, double centre) {
    if (!ground.shape.contains(x, y)) {
        return centre;
    }
    const std::size_t p = ground.shape.index(x, y);
    const double z = ground.heights[p];
    return std::isnan(z) || (ground.open != nullptr && ground.open[p] == 0) ? centre : z;
}

// Horn's sums over the nine heights of a point, the centre's row and column weighted twice.
Gradient hornOf(const double (&z)[3][3], double spacing) {
    // z[i][j] is the neighbour at (x + i - 1, y + j - 1).
    const double east = z[2][0] + 2.0 * z[2][1] + z[2][2];
    const double west = z[0][0] + 2.0 * z[0][1] + z[0][2];
    const double north = z[0][2] + 2.0 * z[1][2] + z[2][2];
    const double south = z[0][0] + 2.0 * z[1][0] + z[2][0];
    return {(east - west) / (8.0 * spacing), (north - south) / (8.0 * spacing)};
}

} // namespace

Gradient hornGradient(const ProfileGround& ground, int x, int y) {
    const double centre = ground.heights[ground.shape.index(x, y)];
    double z[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            z[i][j] = heightOr(ground, x + i - 1, y + j - 1, centre);
        }
    }
    return hornOf(z, ground.shape.spacing);
}

SideRules sideRulesOf(const MoveSet& moves, double percent) {
    SideRules rules;
    rules.moves = &moves;
    rules.percent = percent;
    const double limit = percent / 100.0;
    for (int d = 0; d < moves.count / 2; ++d) {
        const Move& m = moves[d];
        rules.bounds.push_back(limit * std::sqrt(static_cast<double>(m.dx * m.dx + m.dy * m.dy)));
    }
    return rules;
}

void SideStrip::start(const ProfileGround& ground, const SideRules& rules, int from) {
    ground_ = &ground;
    rules_ = &rules;
    ring_ = rules.moves->reach + 1;
    half_ = rules.moves->count / 2;
    next_ = from;
    const auto rows = static_cast<std::size_t>(ground.shape.rows);
    passes_.assign(rows * ring_ * half_, 0);
    all_.assign(rows, 0);
    gx_.assign(rows, 0.0);
    gy_.assign(rows, 0.0);
}

void SideStrip::reach(int x) {
    const int last = std::min(x + rules_->moves->reach, ground_->shape.columns - 1);
    for (; next_ <= last; ++next_) {
        work(next_);
    }
}

const uint8_t* SideStrip::passes(int column, int d) const {
    return passes_.data() +
           (static_cast<std::size_t>(column % ring_) * half_ + d) * ground_->shape.rows;
}

namespace {

// Horn's gradient down rows first .. last - 1 of a column whose neighbours on both sides and in
// both rows lie in the grid: the same sums as hornOf, the NaN heights taken as the centre's.
[[gnu::always_inline]] inline void gradientRows(const float* west, const float* here,
                                                const float* east, int first, int last,
                                                double spacing, double* gx, double* gy) {
    for (int y = first; y < last; ++y) {
        const double c = here[y];
        const auto z = [c](float h) { return h != h ? c : static_cast<double>(h); };
        const double e = z(east[y - 1]) + 2.0 * z(east[y]) + z(east[y + 1]);
        const double w = z(west[y - 1]) + 2.0 * z(west[y]) + z(west[y + 1]);
        const double n = z(west[y + 1]) + 2.0 * z(here[y + 1]) + z(east[y + 1]);
        const double s = z(west[y - 1]) + 2.0 * z(here[y - 1]) + z(east[y - 1]);
        gx[y] = (e - w) / (8.0 * spacing);
        gy[y] = (n - s) / (8.0 * spacing);
    }
}

// 1 in out[y] where the move (a, b) leans within `bound` (the limit times its length) at row y.
[[gnu::always_inline]] inline void passRows(const double* gx, const double* gy, double a, double b,
                                            double bound, int rows, uint8_t* out) {
    for (int y = 0; y < rows; ++y) {
        out[y] = std::abs(gy[y] * a - gx[y] * b) <= bound ? 1 : 0;
    }
}

// Both compiled for AVX2 too; no fused multiply-add, so the same bits either way.
WIDE_LANES void gradientRowsWide(const float* west, const float* here, const float* east, int first,
                                 int last, double spacing, double* gx, double* gy) {
    gradientRows(west, here, east, first, last, spacing, gx, gy);
}

WIDE_LANES void passRowsWide(const double* gx, const double* gy, double a, double b, double bound,
                             int rows, uint8_t* out) {
    passRows(gx, gy, a, b, bound, rows, out);
}

} // namespace

void SideStrip::work(int column) {
    const ProfileGround& g = *ground_;
    const int rows = g.shape.rows;
    const bool wide = takesWideLanes(g.kernels);
    const float* here = g.heights + g.shape.index(column, 0);
    const bool inside = column > 0 && column + 1 < g.shape.columns && rows > 2;
    if (inside && g.open == nullptr) {
        if (wide) {
            gradientRowsWide(here - rows, here, here + rows, 1, rows - 1, g.shape.spacing,
                             gx_.data(), gy_.data());
        } else {
            gradientRows(here - rows, here, here + rows, 1, rows - 1, g.shape.spacing, gx_.data(),
                         gy_.data());
        }
    }
    for (int y = 0; y < rows; ++y) {
        if (inside && g.open == nullptr && y > 0 && y + 1 < rows) {
            continue;
        }
        const Gradient grad = hornGradient(g, column, y);
        gx_[y] = grad.gx;
        gy_[y] = grad.gy;
    }
    for (int d = 0; d < half_; ++d) {
        const Move& m = (*rules_->moves)[d];
        uint8_t* out =
            passes_.data() + (static_cast<std::size_t>(column % ring_) * half_ + d) * rows;
        if (wide) {
            passRowsWide(gx_.data(), gy_.data(), m.dx, m.dy, rules_->bounds[d], rows, out);
        } else {
            passRows(gx_.data(), gy_.data(), m.dx, m.dy, rules_->bounds[d], rows, out);
        }
    }
}

namespace {

// The rows of each point a move reads, shifted to the row of the move's start: the start, the end
// and both grid points of each crossing.
constexpr int MOST_POINTS = 2 + 2 * MOST_CROSSINGS;

// Clears forth[y] and back[y + dy] for rows first .. last - 1 where some point's pass is 0; `all`
// is room for a row's passes.
[[gnu::always_inline]] inline void keepLeaning(const uint8_t* const* points, int count, int first,
                                               int last, int dy, uint8_t* __restrict all,
                                               uint8_t* forth, uint8_t* back) {
    for (int y = first; y < last; ++y) {
        all[y] = points[0][y] & points[1][y];
    }
    for (int k = 2; k < count; ++k) {
        const uint8_t* __restrict point = points[k];
        for (int y = first; y < last; ++y) {
            all[y] &= point[y];
        }
    }
    for (int y = first; y < last; ++y) {
        forth[y] &= all[y];
    }
    for (int y = first; y < last; ++y) {
        back[y + dy] &= all[y];
    }
}

WIDE_LANES void keepLeaningWide(const uint8_t* const* points, int count, int first, int last,
                                int dy, uint8_t* __restrict all, uint8_t* forth, uint8_t* back) {
    keepLeaning(points, count, first, last, dy, all, forth, back);
}

} // namespace

void SideStrip::testMove(int x, int d, const MoveCrossings& crossings, int first, int last,
                         uint8_t* forth, uint8_t* back) {
    const Move& m = (*rules_->moves)[d];
    const uint8_t* points[MOST_POINTS];
    int count = 0;
    points[count++] = passes(x, d);
    points[count++] = passes(x + m.dx, d) + m.dy;
    for (const Crossing& c : crossings) {
        points[count++] = passes(x + c.first.x, d) + c.first.y;
        points[count++] = passes(x + c.second.x, d) + c.second.y;
    }
    if (takesWideLanes(ground_->kernels)) {
        keepLeaningWide(points, count, first, last, m.dy, all_.data(), forth, back);
        return;
    }
    keepLeaning(points, count, first, last, m.dy, all_.data(), forth, back);
}

namespace {

// Calls visit(points, count, height, t, a, b) for each place the move from `from` to `to` reads in
// order along it: the start, the crossings (each with both of its grid points) and the end, with
// the height of the line there and how far along it lies.
template <typename Visit>
void walkMove(const ProfileGround& ground, const Cell& from, const Cell& to, Visit&& visit) {
    const int a = to.x - from.x;
    const int b = to.y - from.y;
    const auto heightAt = [&](const Cell& c) {
        return static_cast<double>(ground.heights[ground.shape.index(c.x, c.y)]);
    };
    visit(&from, 1, heightAt(from), 0.0, a, b);
    // A route's move has no common factor; a step of one cell crosses nothing.
    const MoveCrossings crossings = moveCrossings(from.x, from.y, a, b);
    for (const Crossing& c : crossings) {
        const double z0 = heightAt(c.first);
        const double z = z0 + c.weight * (heightAt(c.second) - z0);
        const Cell both[2] = {c.first, c.second};
        visit(both, 2, z, c.t, a, b);
    }
    visit(&to, 1, heightAt(to), 1.0, a, b);
}

double moveLean(const ProfileGround& ground, const Cell& from, const Cell& to) {
    double most = 0.0;
    walkMove(ground, from, to, [&](const Cell* points, int count, double, double, int a, int b) {
        for (int i = 0; i < count; ++i) {
            most =
                std::max(most, sideSlopeOf(hornGradient(ground, points[i].x, points[i].y), a, b));
        }
    });
    return most;
}

} // namespace

bool passesGrades(const ProfileGround& ground, const Vehicle& vehicle, const Cell& from,
                  const Cell& to) {
    const auto closed = [&](const Cell& c) {
        const std::size_t p = ground.shape.index(c.x, c.y);
        return std::isnan(ground.heights[p]) || (ground.open != nullptr && ground.open[p] == 0);
    };
    const int a = to.x - from.x;
    const int b = to.y - from.y;
    if (std::abs(a) == 1 && std::abs(b) == 1 && closed(Cell{to.x, from.y}) &&
        closed(Cell{from.x, to.y})) {
        return false;
    }
    const double run = std::sqrt(static_cast<double>(a * a + b * b)) * ground.shape.spacing;
    bool passes = true;
    double lastZ = 0.0;
    double lastT = 0.0;
    walkMove(ground, from, to, [&](const Cell* points, int count, double z, double t, int, int) {
        for (int i = 0; i < count; ++i) {
            passes = passes && !closed(points[i]);
        }
        if (t > 0.0) {
            const double h = (t - lastT) * run;
            const double change = z - lastZ;
            passes = passes && change <= h * vehicle.gradeUpPercent / 100.0 &&
                     -change <= h * vehicle.gradeDownPercent / 100.0;
        }
        lastZ = z;
        lastT = t;
    });
    return passes;
}

RouteLean routeLean(const ProfileGround& ground, const std::vector<Cell>& cells) {
    RouteLean lean;
    for (std::size_t k = 0; k + 1 < cells.size(); ++k) {
        const Cell& from = cells[k];
        const Cell& to = cells[k + 1];
        const int a = to.x - from.x;
        const int b = to.y - from.y;
        const double run = std::sqrt(static_cast<double>(a * a + b * b)) * ground.shape.spacing;
        double lastZ = 0.0;
        double lastT = 0.0;
        walkMove(ground, from, to, [&](const Cell*, int, double z, double t, int, int) {
            if (t > 0.0) {
                const double h = (t - lastT) * run;
                lean.gradePercent = std::max(lean.gradePercent, std::abs(z - lastZ) / h * 100.0);
            }
            lastZ = z;
            lastT = t;
        });
        lean.sideSlopePercent = std::max(lean.sideSlopePercent, moveLean(ground, from, to) * 100.0);
    }
    return lean;
}

double moveSideSlopePercent(const ProfileGround& ground, const std::vector<Cell>& cells,
                            std::size_t k) {
    return k + 1 < cells.size() ? moveLean(ground, cells[k], cells[k + 1]) * 100.0 : 0.0;
}
