#include "planner/kernels/wideOffers.h"

#include "planner/kernels/wideLanes.h"

#include <immintrin.h>

WideMoves wideMovesOf(const StepPrices& prices, int rows) {
    WideMoves w;
    const MoveSet& set = prices.moves();
    for (int d = 0; d < set.count; ++d) {
        w.offsets[d] = moveOffset(set[d], rows);
        w.xSquare[d] = prices.xSquare(d);
        w.ySquare[d] = prices.ySquare(d);
        w.rolling[d] = prices.rolling(d);
        w.margin[d] = prices.isLong(d) ? LINE_ROUNDING_MARGIN : 1.0;
    }
    w.descent = prices.descent();
    w.massGravity = prices.massGravity();
    w.pace = prices.pace();
    w.groups = set.bitBytes();
    return w;
}

bool offersWide(const StepPrices& prices, Measure m, Kernels kernels) {
    return kernels == Kernels::Avx512 && prices.uniformRun() && prices.moves().count % 8 == 0 &&
           (m != Measure::Energy || prices.evenRolling()) &&
           (m != Measure::Time || prices.evenTime());
}

namespace {

constexpr __mmask8 ALL_LANES = 0xff;

// A float in each lane widened to a double. Through the zeroing form: the plain one starts from
// an undefined register, which the compiler warns of.
WIDEST_LANES __m512d widened(__m256 lanes) {
    return _mm512_maskz_cvtps_pd(ALL_LANES, lanes);
}

template <Measure M>
WIDEST_LANES bool offerLanes(const WideMoves& moves, std::size_t p, double base, float zp,
                             const uint8_t* bits, const SearchCell* cells, const float* heights,
                             double* candidates, uint64_t (&lowered)[LOWERED_WORDS]) {
    const __m512i at = _mm512_set1_epi64(static_cast<long long>(p));
    const __m256 zero = _mm256_setzero_ps();
    const __m256 from = _mm256_set1_ps(zp);
    const __m512d baseCost = _mm512_set1_pd(base);
    for (uint64_t& word : lowered) {
        word = 0;
    }
    unsigned any = 0;
    for (int g = 0; g < moves.groups; ++g) {
        // Every group is priced, closed or not, and its lanes stored whether any is lowered:
        // which groups are open and lowered varies from cell to cell past any branch predictor,
        // and a mispredicted branch costs more than the group's work.
        const __mmask8 open = bits[g];
        // A closed move's lane reads the cell itself, which is always there.
        alignas(64) int64_t q[8];
        _mm512_store_si512(
            q, _mm512_mask_add_epi64(at, open, at, _mm512_load_si512(moves.offsets + 8 * g)));
        const __m256 zq =
            _mm256_setr_ps(heights[q[0]], heights[q[1]], heights[q[2]], heights[q[3]],
                           heights[q[4]], heights[q[5]], heights[q[6]], heights[q[7]]);
        const __m512d next =
            _mm512_setr_pd(cells[q[0]].cost, cells[q[1]].cost, cells[q[2]].cost, cells[q[3]].cost,
                           cells[q[4]].cost, cells[q[5]].cost, cells[q[6]].cost, cells[q[7]].cost);
        // riseOf: the larger of each pair, the second when neither is, as largerOf takes it.
        const __m256 dz = _mm256_sub_ps(zq, from);
        const __m256 climb = _mm256_max_ps(dz, zero);
        const __m256 drop = _mm256_max_ps(_mm256_sub_ps(zero, dz), zero);
        __m512d price;
        if constexpr (M == Measure::Energy) {
            const __m256 lift =
                _mm256_add_ps(climb, _mm256_mul_ps(drop, _mm256_set1_ps(moves.descent)));
            price = widened(_mm256_add_ps(_mm256_mul_ps(lift, _mm256_set1_ps(moves.massGravity)),
                                          _mm256_load_ps(moves.rolling + 8 * g)));
        } else {
            const __m256 change = _mm256_add_ps(climb, drop);
            const __m256 sum = _mm256_add_ps(
                _mm256_add_ps(_mm256_mul_ps(change, change), _mm256_load_ps(moves.xSquare + 8 * g)),
                _mm256_load_ps(moves.ySquare + 8 * g));
            price = widened(_mm256_sqrt_ps(sum));
            if constexpr (M == Measure::Time) {
                price = _mm512_mul_pd(price, _mm512_set1_pd(moves.pace));
            }
        }
        // A one-cell move's margin of 1 changes no bit of its price.
        const __m512d cost =
            _mm512_add_pd(baseCost, _mm512_mul_pd(price, _mm512_load_pd(moves.margin + 8 * g)));
        const __mmask8 lower = _mm512_mask_cmp_pd_mask(open, cost, next, _CMP_LE_OQ);
        _mm512_storeu_pd(candidates + 8 * g, cost);
        lowered[g / 8] |= static_cast<uint64_t>(lower) << (8 * (g % 8));
        any |= lower;
    }
    return any != 0;
}

} // namespace

template <Measure M>
bool offerWide(const WideMoves& moves, std::size_t p, double base, float zp, const uint8_t* bits,
               const SearchCell* cells, const float* heights, double* candidates,
               uint64_t (&lowered)[LOWERED_WORDS]) {
    return offerLanes<M>(moves, p, base, zp, bits, cells, heights, candidates, lowered);
}

template bool offerWide<Measure::Distance>(const WideMoves&, std::size_t, double, float,
                                           const uint8_t*, const SearchCell*, const float*, double*,
                                           uint64_t (&)[LOWERED_WORDS]);
template bool offerWide<Measure::Energy>(const WideMoves&, std::size_t, double, float,
                                         const uint8_t*, const SearchCell*, const float*, double*,
                                         uint64_t (&)[LOWERED_WORDS]);
template bool offerWide<Measure::Time>(const WideMoves&, std::size_t, double, float, const uint8_t*,
                                       const SearchCell*, const float*, double*,
                                       uint64_t (&)[LOWERED_WORDS]);
