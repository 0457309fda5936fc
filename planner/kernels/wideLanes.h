#pragma once
// Work done many lanes at a time where the processor allows: a function marked WIDE_LANES is
// compiled for AVX2 (four doubles or eight floats a register) and may be called only when
// wideLanesAvailable() says so, one marked WIDEST_LANES for AVX-512 (eight doubles a register)
// only when widestLanesAvailable() does. Each rounds as the one-lane code it stands in for, so the
// results are the same bit for bit on any processor.
//
// Keep WIDEST_LANES functions small: where the compiler reaches for registers zmm16..zmm31, the
// vzeroupper on its way out leaves them dirty, and every SSE instruction after it, anywhere in
// the program, runs slower (the built-in sweep took 2.5 times as long).

#define WIDE_LANES __attribute__((target("avx2,bmi2")))
#define WIDEST_LANES __attribute__((target("avx512f")))

// True when this processor runs WIDE_LANES functions.
inline bool wideLanesAvailable() {
    static const bool available =
        __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("bmi2") != 0;
    return available;
}

// True when this processor runs WIDEST_LANES functions.
inline bool widestLanesAvailable() {
    static const bool available = __builtin_cpu_supports("avx512f") != 0;
    return available;
}
