// Following a move's line over the grid lines, and the tests along it.
#include "planner/moveProfile.h"

#include <cmath>
#include <cstdlib>

namespace {

// The whole number at or below num / den (den > 0), and what is left over: integer arithmetic,
// so that a crossing's grid points and weight come out exact wherever the cell lies.
struct Division {
    int quotient;
    int remainder; // 0 <= remainder < den
};

Division floorDivide(int num, int den) {
    int q = num / den;
    int r = num % den;
    if (r < 0) {
        q -= 1;
        r += den;
    }
    return {q, r};
}

// The crossing of column line `i` of |dx| (1 <= i < |dx|) by the move (dx, dy) from (x, y).
Crossing columnCrossing(int x, int y, int dx, int dy, int i) {
    const int across = std::abs(dx);
    const int column = x + (dx > 0 ? i : -i);
    const Division row = floorDivide(dy * i, across);
    return {static_cast<double>(i) / across, Cell{column, y + row.quotient},
            Cell{column, y + row.quotient + 1}, static_cast<double>(row.remainder) / across};
}

// The crossing of row line `j` of |dy| (1 <= j < |dy|) by the move (dx, dy) from (x, y).
Crossing rowCrossing(int x, int y, int dx, int dy, int j) {
    const int across = std::abs(dy);
    const int row = y + (dy > 0 ? j : -j);
    const Division column = floorDivide(dx * j, across);
    return {static_cast<double>(j) / across, Cell{x + column.quotient, row},
            Cell{x + column.quotient + 1, row}, static_cast<double>(column.remainder) / across};
}

} // namespace

MoveCrossings moveCrossings(int x, int y, int dx, int dy) {
    MoveCrossings crossings;
    const int columns = std::abs(dx);
    const int rows = std::abs(dy);
    // Merged by comparing i / columns with j / rows as i * rows with j * columns: exact, and
    // never equal, as the offsets have no common factor.
    int i = 1;
    int j = 1;
    while (i < columns || j < rows) {
        const bool columnNext = j >= rows || (i < columns && i * rows < j * columns);
        crossings.at[crossings.count++] =
            columnNext ? columnCrossing(x, y, dx, dy, i++) : rowCrossing(x, y, dx, dy, j++);
    }
    return crossings;
}

std::vector<MoveCrossings> crossingsOf(const MoveSet& set) {
    std::vector<MoveCrossings> crossings;
    for (const Move& m : set) {
        crossings.push_back(moveCrossings(0, 0, m.dx, m.dy));
    }
    return crossings;
}

ProfileGround profileGroundOf(const TerrainPositions& terrain, const std::vector<uint8_t>& open,
                              const Vehicle& vehicle) {
    return {terrain.shape(), terrain.heights().data(), open.empty() ? nullptr : open.data(),
            vehicle.gradeUpPercent, vehicle.gradeDownPercent};
}

namespace {

// True when cell `c` has ground and no barrier closes it.
bool isOpen(const ProfileGround& g, const Cell& c) {
    const std::size_t p = g.shape.index(c.x, c.y);
    return !std::isnan(g.heights[p]) && (g.open == nullptr || g.open[p] != 0);
}

double heightAt(const ProfileGround& g, const Cell& c) {
    return g.heights[g.shape.index(c.x, c.y)];
}

} // namespace

bool profilePasses(const ProfileGround& ground, int x, int y, int dx, int dy) {
    return profilePasses(ground, x, y, dx, dy, moveCrossings(0, 0, dx, dy));
}

bool profilePasses(const ProfileGround& ground, int x, int y, int dx, int dy,
                   const MoveCrossings& fromOrigin) {
    return profileVerdict(ground, x, y, dx, dy, fromOrigin).forth;
}

ProfileVerdict profileVerdict(const ProfileGround& ground, int x, int y, int dx, int dy,
                              const MoveCrossings& fromOrigin) {
    if (!ground.shape.contains(x, y) || !ground.shape.contains(x + dx, y + dy)) {
        return {false, false};
    }
    if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
        const bool diagonal = dx != 0 && dy != 0;
        const bool passes =
            !diagonal || isOpen(ground, Cell{x + dx, y}) || isOpen(ground, Cell{x, y + dy});
        return {passes, passes};
    }
    const double run = std::sqrt(static_cast<double>(dx * dx + dy * dy)) * ground.shape.spacing;
    double t = 0.0;
    double z = heightAt(ground, Cell{x, y});
    ProfileVerdict verdict{true, true};
    // One piece from (t, z) to (nextT, nextZ), walked forth and back. Written so that a NaN
    // height fails it.
    const auto piece = [&](double nextT, double nextZ) {
        const double h = (nextT - t) * run;
        const double climb = h * ground.upPercent / 100.0;
        const double drop = h * ground.downPercent / 100.0;
        const double change = nextZ - z;
        verdict.forth = verdict.forth && change <= climb && -change <= drop;
        verdict.back = verdict.back && -change <= climb && change <= drop;
        t = nextT;
        z = nextZ;
        return verdict.forth || verdict.back;
    };
    for (const Crossing& c : fromOrigin) {
        const Cell first{x + c.first.x, y + c.first.y};
        const Cell second{x + c.second.x, y + c.second.y};
        if (!isOpen(ground, first) || !isOpen(ground, second)) {
            return {false, false};
        }
        const double zFirst = heightAt(ground, first);
        // Level between the two points gives their height exactly.
        if (!piece(c.t, zFirst + c.weight * (heightAt(ground, second) - zFirst))) {
            return verdict;
        }
    }
    piece(1.0, heightAt(ground, Cell{x + dx, y + dy}));
    return verdict;
}
