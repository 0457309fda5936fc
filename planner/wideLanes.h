#pragma once
// Work done many lanes at a time where the processor allows: a function marked WIDE_LANES is
// compiled for AVX2 (four doubles or eight floats a register) and may be called only when
// wideLanesAvailable() says so. Each rounds as the one-lane code it stands in for, so the results
// are the same bit for bit on any processor.

#define WIDE_LANES __attribute__((target("avx2,bmi2")))

// True when this processor runs WIDE_LANES functions.
inline bool wideLanesAvailable() {
    static const bool available =
        __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("bmi2") != 0;
    return available;
}
