#pragma once
// The prices of all eight steps out of one cell at once. A planner that takes most of a cell's
// steps prices them four lanes to a register: one square root instruction for four steps
// instead of one each, which is most of the arithmetic of a step. Each lane applies the same
// float operations in the same order as StepPrices::length and StepPrices::energy, so the prices
// are theirs bit for bit. On a grid whose steps come in kinds they are looked up instead.

#include "planner/planningGrid.h"

#include <emmintrin.h>

#include <cstddef>

// Lengths (metres) and energies (joules) of the eight steps out of a cell, in NEIGHBOUR_STEPS
// order; CLOSED_STEP for a step that may not be taken.
struct EightStepPrices {
    alignas(16) float lengths[NEIGHBOUR_COUNT];
    alignas(16) float energies[NEIGHBOUR_COUNT];

    float length(int d) const { return lengths[d]; }
    float energy(int d) const { return energies[d]; }
};

// What the lanes price with, set up once per plan. UniformRun is StepPrices::uniformRun: each
// kind of grid gets a planner loop of its own, since the uneven kind's lengths would crowd the
// even kind's registers (a fifth slower sweep of the built-in ground).
template <bool UniformRun> class EightStepPricer {
  public:
    explicit EightStepPricer(const StepPrices& prices) : prices_(prices) {
        const float run2 = prices.run * prices.run;
        for (int half = 0; half < 2; ++half) {
            float diagonalRun2[4];
            float rolling[4];
            for (int lane = 0; lane < 4; ++lane) {
                const int d = 4 * half + lane;
                // Adding 0 to a straight step's sum leaves it as the scalar rule rounds it.
                diagonalRun2[lane] = isDiagonal(d) ? run2 : 0.0f;
                // A rolling term of 0 added to an energy of at least +0 leaves it unchanged.
                rolling[lane] =
                    isDiagonal(d) ? prices.pricing.rollingDiagonal : prices.pricing.rollingStraight;
            }
            diagonalRun2_[half] = _mm_loadu_ps(diagonalRun2);
            rolling_[half] = _mm_loadu_ps(rolling);
        }
        run2_ = _mm_set1_ps(run2);
        descent_ = _mm_set1_ps(prices.pricing.descent);
        massGravity_ = _mm_set1_ps(prices.pricing.massGravity);
    }

    // Prices the steps out of the cell at flat index p, of height zp, whose bit d in `open` is
    // set; heightOf(d) gives the height of neighbour d and is asked for every d, open or not.
    template <typename HeightOf>
    EightStepPrices price(std::size_t p, float zp, unsigned open, HeightOf&& heightOf) const {
        EightStepPrices out;
        const __m128 z = _mm_set1_ps(zp);
        const __m128 zero = _mm_setzero_ps();
        const __m128 closed = _mm_set1_ps(CLOSED_STEP);
        const __m128i bits = _mm_set1_epi32(static_cast<int>(open));
#pragma GCC unroll 2
        for (int half = 0; half < 2; ++half) {
            const int d = 4 * half;
            const __m128 dz = _mm_sub_ps(
                _mm_setr_ps(heightOf(d), heightOf(d + 1), heightOf(d + 2), heightOf(d + 3)), z);
            const __m128i laneBits = _mm_setr_epi32(1 << d, 2 << d, 4 << d, 8 << d);
            const __m128 shut = _mm_castsi128_ps(
                _mm_cmpeq_epi32(_mm_and_si128(bits, laneBits), _mm_setzero_si128()));
            // The larger of the rise or the drop and 0, one of them 0: the climb, and the drop
            // whose share a descent costs.
            const __m128 climb = _mm_max_ps(dz, zero);
            const __m128 drop = _mm_max_ps(_mm_sub_ps(zero, dz), zero);
            const __m128 lift = _mm_add_ps(climb, _mm_mul_ps(drop, descent_));
            const __m128 energy = _mm_add_ps(_mm_mul_ps(lift, massGravity_), rolling_[half]);
            _mm_store_ps(out.energies + d, select(shut, closed, energy));
            const __m128 rise = _mm_add_ps(climb, drop);
            const __m128 sum =
                _mm_add_ps(_mm_add_ps(_mm_mul_ps(rise, rise), run2_), diagonalRun2_[half]);
            _mm_store_ps(out.lengths + d, select(shut, closed, _mm_sqrt_ps(sum)));
        }
        if (UniformRun) {
            return out;
        }
        // Columns or rows unevenly apart: each length anew from the two cells' positions.
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            out.lengths[d] =
                (open & (1u << d)) != 0 ? prices_.length(p, d, zp, heightOf(d)) : CLOSED_STEP;
        }
        return out;
    }

  private:
    static __m128 select(__m128 mask, __m128 whenSet, __m128 otherwise) {
        return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
    }

    const StepPrices& prices_;
    __m128 diagonalRun2_[2];
    __m128 rolling_[2];
    __m128 run2_;
    __m128 descent_;
    __m128 massGravity_;
};

// The eight steps out of a cell of a grid whose steps come in kinds, looked up.
struct KindStepPrices {
    const KindPrices& kinds;
    std::size_t p;

    float length(int d) const { return kinds.length(p, d, 0.0f, 0.0f); }
    float energy(int d) const { return kinds.energy(p, d, 0.0f, 0.0f); }
};

class StepKindPricer {
  public:
    explicit StepKindPricer(const PlanningGrid& grid) : kinds_(grid) {}

    // The same prices as EightStepPricer's, worked out once per kind.
    template <typename HeightOf>
    KindStepPrices price(std::size_t p, float, unsigned, HeightOf&&) const {
        return {kinds_, p};
    }

  private:
    KindPrices kinds_;
};
