// Following a move's line over the grid lines, and the tests along it.
#include "planner/moveProfile.h"

#include "planner/kernels/wideLanes.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

// The columns a move's line crosses between, as testAlongMoves reads them: the heights of each
// crossing's two grid points and its weight, and the heights of the move's two ends, all indexed
// by the row of the move's start.
struct ProfileColumns {
    const float* firsts[MOST_CROSSINGS];
    const float* seconds[MOST_CROSSINGS];
    const float* start;
    const float* end;
};

// The floats from `at` in the lanes `rows` sets (all bits of a lane, or none), widened to doubles;
// the other lanes 0 and never read.
WIDE_LANES __m256d heightsAt(const float* at, __m128i rows) {
    return _mm256_cvtps_pd(_mm_maskload_ps(at, rows));
}

// Clears forth[y] for each of the four rows from y whose bit in `pass` is 0.
WIDE_LANES void keepPassing(uint8_t* forth, unsigned pass) {
    uint32_t bytes = 0;
    std::memcpy(&bytes, forth, sizeof bytes);
    bytes &= _pdep_u32(pass, 0x01010101u) | ~uint32_t{0x01010101u};
    std::memcpy(forth, &bytes, sizeof bytes);
}

// All bits of each lane set where a <= b (false for a NaN).
WIDE_LANES __m256d noMore(__m256d a, __m256d b) {
    return _mm256_cmp_pd(a, b, _CMP_LE_OQ);
}

// testPiece and heightsBetween over every piece of the line at once, four rows at a time: each
// row's heights and passes stay in registers from the move's start to its end. The same sums and
// comparisons, in the same order, as the two-row code.
WIDE_LANES void testLinesWide(const ProfileColumns& columns, const MoveProfile& profile, int first,
                              int last, int dy, uint8_t* forth, uint8_t* back) {
    constexpr int LANES = 4;
    const __m256d sign = _mm256_set1_pd(-0.0);
    const int crossings = profile.crossings.count;
    for (int y = first; y < last; y += LANES) {
        const int count = std::min(last - y, LANES);
        const __m128i lanes = _mm_cmpgt_epi32(_mm_set1_epi32(count), _mm_setr_epi32(0, 1, 2, 3));
        __m256d zLast = heightsAt(columns.start + y, lanes);
        __m256d goesForth = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
        __m256d goesBack = goesForth;
        for (int k = 0; k <= crossings; ++k) {
            __m256d zNext;
            if (k < crossings) {
                const __m256d a = heightsAt(columns.firsts[k] + y, lanes);
                const __m256d b = heightsAt(columns.seconds[k] + y, lanes);
                const __m256d weight = _mm256_set1_pd(profile.crossings.at[k].weight);
                zNext = _mm256_add_pd(a, _mm256_mul_pd(weight, _mm256_sub_pd(b, a)));
            } else {
                zNext = heightsAt(columns.end + y, lanes);
            }
            const __m256d change = _mm256_sub_pd(zNext, zLast);
            const __m256d turned = _mm256_xor_pd(change, sign);
            const __m256d climb = _mm256_set1_pd(profile.climb[k]);
            const __m256d drop = _mm256_set1_pd(profile.drop[k]);
            goesForth = _mm256_and_pd(goesForth,
                                      _mm256_and_pd(noMore(change, climb), noMore(turned, drop)));
            goesBack =
                _mm256_and_pd(goesBack, _mm256_and_pd(noMore(turned, climb), noMore(change, drop)));
            zLast = zNext;
        }
        const auto forthBits = static_cast<unsigned>(_mm256_movemask_pd(goesForth));
        const auto backBits = static_cast<unsigned>(_mm256_movemask_pd(goesBack));
        if (count == LANES) {
            keepPassing(forth + y, forthBits);
            keepPassing(back + y + dy, backBits);
            continue;
        }
        for (int i = 0; i < count; ++i) {
            forth[y + i] &= static_cast<uint8_t>(forthBits >> i & 1u);
            back[y + i + dy] &= static_cast<uint8_t>(backBits >> i & 1u);
        }
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
    if (takesWideLanes(ground.kernels)) {
        ProfileColumns columns{};
        for (int k = 0; k < profile.crossings.count; ++k) {
            const Crossing& c = profile.crossings.at[k];
            columns.firsts[k] = columnAt(c.first.x, c.first.y);
            columns.seconds[k] = columnAt(c.second.x, c.second.y);
        }
        columns.start = columnAt(0, 0);
        columns.end = columnAt(move.dx, dy);
        testLinesWide(columns, profile, first, last, dy, forth, back);
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
