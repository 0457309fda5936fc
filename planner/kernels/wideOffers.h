#pragma once
// A cell's offers to all its neighbours at once: eight moves priced in the lanes of one vector
// and the eight neighbours' costs loaded beside them, so that the memory a cell's moves touch
// is asked for all together rather than one neighbour after another. The neighbours are read by
// plain loads put together in a register: on the processors this runs on, a gather instruction
// took four times as long as eight loads (microcode that guards gathers). The lanes round as the
// one-move prices do (planner/steps.h), bit for bit. A move longer than one cell is priced there
// by the straight line between its ends, a rounding's margin below: no more than its line costs,
// so that the moves whose line could lower their neighbour come out, to be walked one by one. For
// processors with AVX-512 (WIDEST_LANES); on others, and for prices that vary from cell to cell,
// the search takes its moves one by one.

#include "planner/kernels/kernels.h"
#include "planner/searchCell.h"
#include "planner/searchMoves.h"
#include "planner/steps.h"

#include <cstddef>
#include <cstdint>

// Words of the moves a cell's offers lowered, a bit a move: taken up a word at a time, the bits
// end one loop where bytes of eight would end one each, at branches no predictor foresees.
constexpr int LOWERED_WORDS = (MOST_MOVES + 63) / 64;

// A set's moves, eight to a group in the order of their move bits, with what their prices need.
struct WideMoves {
    alignas(64) int64_t offsets[MOST_MOVES]; // flat index offsets
    alignas(64) float xSquare[MOST_MOVES];
    alignas(64) float ySquare[MOST_MOVES];
    alignas(64) float rolling[MOST_MOVES]; // joules
    alignas(64) double margin[MOST_MOVES]; // 1 for a move of one cell, below it for a longer one
    float descent = 0.0f;
    float massGravity = 0.0f;
    double pace = 0.0; // seconds a metre
    int groups = 0;    // groups of eight moves: the move bits' bytes
};

// The moves of `prices` on a grid of `rows` rows. Sets come in multiples of eight moves.
WideMoves wideMovesOf(const StepPrices& prices, int rows);

// True when `kernels` price eight moves at a time and `prices`'s measure m depends on the
// two heights alone: an evenly spaced ground, one rolling coefficient, time without cover or
// power limit.
bool offersWide(const StepPrices& prices, Measure m, Kernels kernels);

// For every open move d out of the cell at flat index p (cost `base`, height `zp`, move bits
// `bits`): its neighbour's cost through it, base + the price in measure M (for a long move, that
// of its straight line times its margin), goes to candidates[d], and bit d of `lowered` (words
// of 64 moves) is set when that is no more than the neighbour's cost in `cells`. Returns false
// when no bit is set.
template <Measure M>
bool offerWide(const WideMoves& moves, std::size_t p, double base, float zp, const uint8_t* bits,
               const SearchCell* cells, const float* heights, double* candidates,
               uint64_t (&lowered)[LOWERED_WORDS]);

// The moves of a cell offered eight at a time, for the search loop (planner/searchLoop.h): a
// forward search over table records with prices that depend on the two heights alone. Only the
// moves whose candidate may lower their neighbour are priced one by one after.
template <Measure M> class WideForwardMoves {
  public:
    WideForwardMoves(const StepPrices& prices, const MoveFloor& floor, int rows)
        : prices_(prices), floor_(floor), moves_(wideMovesOf(prices, rows)) {}

    template <typename Offer>
    void offersFrom(const TableRecords& cells, std::size_t p, double base, double, Offer&& offer) {
        constexpr Measure OTHER = otherMeasure(M);
        const float zp = cells.height(p);
        if (!offerWide<M>(moves_, p, base, zp, cells.movesOf(p), cells.cells, cells.heights,
                          candidates_, lowered_)) {
            return;
        }
        for (int w = 0; w < LOWERED_WORDS; ++w) {
            for (uint64_t bits = lowered_[w]; bits != 0; bits &= bits - 1) {
                const int d = 64 * w + __builtin_ctzll(bits);
                const std::size_t q = p + floor_.offsets[d];
                // A long move's candidate is its straight line's: its own line decides.
                if (prices_.isLong(d)) {
                    const auto [price, otherPrice] = prices_.template alongLineIn<M>(p, d);
                    if (base + price <= cells[q].cost) {
                        offer(d, q, base + price, otherPrice);
                    }
                    continue;
                }
                offer(
                    d, q, candidates_[d],
                    static_cast<double>(prices_.template price<OTHER>(p, d, zp, cells.height(q))));
            }
        }
    }

  private:
    const StepPrices& prices_;
    MoveFloor floor_;
    WideMoves moves_;
    alignas(64) double candidates_[MOST_MOVES];
    uint64_t lowered_[LOWERED_WORDS];
};
