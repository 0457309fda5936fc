#pragma once
// The prices of all eight steps out of one cell at once. A planner that takes most of a cell's
// steps prices them four lanes to a register: one square root instruction for four steps
// instead of one each, which is most of the arithmetic of a step. The lanes go through the very
// rules of steps.h, so the prices are StepPrices' bit for bit. On a grid whose steps come in
// kinds they are looked up instead.

#include "planner/planningGrid.h"

#include <emmintrin.h>

#include <cstddef>

// Four floats taken through the step rules side by side.
struct Lanes {
    __m128 v;

    Lanes(float f) : v(_mm_set1_ps(f)) {} // NOLINT: a constant in a rule stands for all four
    explicit Lanes(__m128 m) : v(m) {}
};

inline Lanes operator+(Lanes a, Lanes b) {
    return Lanes(_mm_add_ps(a.v, b.v));
}
inline Lanes operator-(Lanes a, Lanes b) {
    return Lanes(_mm_sub_ps(a.v, b.v));
}
inline Lanes operator*(Lanes a, Lanes b) {
    return Lanes(_mm_mul_ps(a.v, b.v));
}
// MAXPS takes its second operand unless the first is greater, as largerOf(float, float) does.
inline Lanes largerOf(Lanes a, Lanes b) {
    return Lanes(_mm_max_ps(a.v, b.v));
}
inline Lanes rootOf(Lanes sum) {
    return Lanes(_mm_sqrt_ps(sum.v));
}

// Lengths (metres) and energies (joules) of the eight steps out of a cell, in NEIGHBOUR_STEPS
// order; CLOSED_STEP for a step that may not be taken.
struct EightStepPrices {
    alignas(16) float lengths[NEIGHBOUR_COUNT];
    alignas(16) float energies[NEIGHBOUR_COUNT];

    float length(int d) const { return lengths[d]; }
    float energy(int d) const { return energies[d]; }
};

// What the lanes price with, set up once per plan. UniformRun is StepPrices::uniformRun(): each
// kind of grid gets a planner loop of its own, since the uneven kind's lengths would crowd the
// even kind's registers (a fifth slower sweep of the built-in ground).
template <bool UniformRun> class EightStepPricer {
  public:
    explicit EightStepPricer(const StepPrices& prices)
        : prices_(prices), descent_(prices.descent()), massGravity_(prices.massGravity()) {
        for (int half = 0; half < 2; ++half) {
            float xSquare[4];
            float ySquare[4];
            float rolling[4];
            for (int lane = 0; lane < 4; ++lane) {
                const int d = 4 * half + lane;
                xSquare[lane] = prices.xSquare(d);
                ySquare[lane] = prices.ySquare(d);
                rolling[lane] = prices.rolling(d);
            }
            xSquare_[half] = Lanes(_mm_loadu_ps(xSquare));
            ySquare_[half] = Lanes(_mm_loadu_ps(ySquare));
            rolling_[half] = Lanes(_mm_loadu_ps(rolling));
        }
    }

    // Prices the steps out of the cell at flat index p, of height zp, whose bit d in `open` is
    // set; heightOf(d) gives the height of neighbour d and is asked for every d, open or not.
    template <typename HeightOf>
    EightStepPrices price(std::size_t p, float zp, unsigned open, HeightOf&& heightOf) const {
        EightStepPrices out;
        const __m128 closed = _mm_set1_ps(CLOSED_STEP);
        const __m128i bits = _mm_set1_epi32(static_cast<int>(open));
#pragma GCC unroll 2
        for (int half = 0; half < 2; ++half) {
            const int d = 4 * half;
            const Rise<Lanes> rise = riseOf(
                Lanes(zp),
                Lanes(_mm_setr_ps(heightOf(d), heightOf(d + 1), heightOf(d + 2), heightOf(d + 3))));
            const __m128i laneBits = _mm_setr_epi32(1 << d, 2 << d, 4 << d, 8 << d);
            const __m128 shut = _mm_castsi128_ps(
                _mm_cmpeq_epi32(_mm_and_si128(bits, laneBits), _mm_setzero_si128()));
            const Lanes energy = moveEnergy(rise, descent_, massGravity_, rolling_[half]);
            _mm_store_ps(out.energies + d, select(shut, closed, energy.v));
            const Lanes length = moveLength(rise, xSquare_[half], ySquare_[half]);
            _mm_store_ps(out.lengths + d, select(shut, closed, length.v));
        }
        if (UniformRun) {
            return out;
        }
        // Columns or rows unevenly apart: each length anew from the two cells' positions.
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            out.lengths[d] = (open & (1u << d)) != 0 ? prices_.oneCellLength(p, d, zp, heightOf(d))
                                                     : CLOSED_STEP;
        }
        return out;
    }

  private:
    static __m128 select(__m128 mask, __m128 whenSet, __m128 otherwise) {
        return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
    }

    const StepPrices& prices_;
    Lanes descent_;
    Lanes massGravity_;
    Lanes xSquare_[2] = {0.0f, 0.0f};
    Lanes ySquare_[2] = {0.0f, 0.0f};
    Lanes rolling_[2] = {0.0f, 0.0f};
};

// The eight steps priced one by one from the heights: a surface whose rolling coefficient varies
// from cell to cell, which the lanes' constant rolling energy of a move does not price.
class StepByStepPricer {
  public:
    explicit StepByStepPricer(const StepPrices& prices) : prices_(prices) {}

    template <typename HeightOf>
    EightStepPrices price(std::size_t p, float zp, unsigned open, HeightOf&& heightOf) const {
        EightStepPrices out;
        for (int d = 0; d < NEIGHBOUR_COUNT; ++d) {
            const bool taken = (open & (1u << d)) != 0;
            out.lengths[d] = taken ? prices_.oneCellLength(p, d, zp, heightOf(d)) : CLOSED_STEP;
            out.energies[d] = taken ? prices_.oneCellEnergy(p, d, zp, heightOf(d)) : CLOSED_STEP;
        }
        return out;
    }

  private:
    const StepPrices& prices_;
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
