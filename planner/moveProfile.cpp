// Following a move's line over the grid lines, and the tests along it.
#include "planner/moveProfile.h"

#include <emmintrin.h>

#include <cmath>
#include <cstdint>
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

MoveProfile moveProfileOf(const Move& move, double spacing, double upPercent, double downPercent) {
    MoveProfile profile;
    profile.crossings = moveCrossings(0, 0, move.dx, move.dy);
    const double run =
        std::sqrt(static_cast<double>(move.dx * move.dx + move.dy * move.dy)) * spacing;
    double t = 0.0;
    for (int k = 0; k <= profile.crossings.count; ++k) {
        const double next = k < profile.crossings.count ? profile.crossings.at[k].t : 1.0;
        const double h = (next - t) * run;
        profile.climb[k] = h * upPercent / 100.0;
        profile.drop[k] = h * downPercent / 100.0;
        t = next;
    }
    return profile;
}

namespace {

// The masks of the rows whose piece from zLast to zNext climbs and drops within the limits, forth
// and back, all bits set for a row that passes, with zLast moved on to zNext. A NaN height (a
// closed cell) fails both ways. Two rows to a register: the compiler does not take a double's
// comparison into a mask by itself.
void testPiece(int first, int last, const double* zNext, double climb, double drop, double* zLast,
               uint64_t* forth, uint64_t* back) {
    const __m128d climbs = _mm_set1_pd(climb);
    const __m128d drops = _mm_set1_pd(drop);
    const __m128d sign = _mm_set1_pd(-0.0);
    int y = first;
    for (; y + 1 < last; y += 2) {
        const __m128d next = _mm_loadu_pd(zNext + y);
        const __m128d change = _mm_sub_pd(next, _mm_loadu_pd(zLast + y));
        const __m128d turned = _mm_xor_pd(change, sign);
        const __m128d goesForth =
            _mm_and_pd(_mm_cmple_pd(change, climbs), _mm_cmple_pd(turned, drops));
        const __m128d goesBack =
            _mm_and_pd(_mm_cmple_pd(turned, climbs), _mm_cmple_pd(change, drops));
        auto* f = reinterpret_cast<__m128i*>(forth + y);
        auto* b = reinterpret_cast<__m128i*>(back + y);
        _mm_storeu_si128(f, _mm_and_si128(_mm_loadu_si128(f), _mm_castpd_si128(goesForth)));
        _mm_storeu_si128(b, _mm_and_si128(_mm_loadu_si128(b), _mm_castpd_si128(goesBack)));
        _mm_storeu_pd(zLast + y, next);
    }
    for (; y < last; ++y) {
        const double change = zNext[y] - zLast[y];
        forth[y] &= change <= climb && -change <= drop ? ~uint64_t{0} : 0;
        back[y] &= -change <= climb && change <= drop ? ~uint64_t{0} : 0;
        zLast[y] = zNext[y];
    }
}

// The heights where a move's line crosses a grid line, between the rows' points in zFirst and
// zSecond, `weight` of the way.
void heightsBetween(int first, int last, const float* __restrict zFirst,
                    const float* __restrict zSecond, double weight, double* __restrict zNext) {
    for (int y = first; y < last; ++y) {
        // Level between the two points gives their height exactly.
        const double a = zFirst[y];
        zNext[y] = a + weight * (static_cast<double>(zSecond[y]) - a);
    }
}

} // namespace

void testAlongMoves(const ProfileGround& ground, int x, const Move& move,
                    const MoveProfile& profile, int first, int last, uint8_t* forth, uint8_t* back,
                    ProfileScratch& scratch) {
    const GridShape& shape = ground.shape;
    const int dy = move.dy;
    // The column (x + cx) shifted by cy rows, read by the row of the move's start.
    const auto columnAt = [&](int cx, int cy) {
        return ground.heights + static_cast<std::ptrdiff_t>(x + cx) * shape.rows + cy;
    };
    if (profile.crossings.count == 0) {
        if (move.dx == 0 || dy == 0) {
            return;
        }
        const float* beside = columnAt(move.dx, 0);
        const float* besideToo = columnAt(0, dy);
        for (int y = first; y < last; ++y) {
            const auto passes =
                static_cast<uint8_t>(!std::isnan(beside[y]) | !std::isnan(besideToo[y]));
            forth[y] &= passes;
            back[y + dy] &= passes;
        }
        return;
    }
    scratch.resize(shape.rows);
    double* zLast = scratch.zLast.data();
    double* zNext = scratch.zNext.data();
    uint64_t* passForth = scratch.forth.data();
    uint64_t* passBack = scratch.back.data();
    const float* zStart = columnAt(0, 0);
    for (int y = first; y < last; ++y) {
        zLast[y] = zStart[y];
        passForth[y] = ~uint64_t{0};
        passBack[y] = ~uint64_t{0};
    }
    for (int k = 0; k < profile.crossings.count; ++k) {
        const Crossing& c = profile.crossings.at[k];
        heightsBetween(first, last, columnAt(c.first.x, c.first.y),
                       columnAt(c.second.x, c.second.y), c.weight, zNext);
        testPiece(first, last, zNext, profile.climb[k], profile.drop[k], zLast, passForth,
                  passBack);
    }
    const float* zEnd = columnAt(move.dx, dy);
    for (int y = first; y < last; ++y) {
        zNext[y] = zEnd[y];
    }
    const int k = profile.crossings.count;
    testPiece(first, last, zNext, profile.climb[k], profile.drop[k], zLast, passForth, passBack);
    for (int y = first; y < last; ++y) {
        forth[y] &= static_cast<uint8_t>(passForth[y] & 1u);
        back[y + dy] &= static_cast<uint8_t>(passBack[y] & 1u);
    }
}
