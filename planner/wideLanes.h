#pragma once
// Work done eight lanes at a time where the processor has AVX-512: a function marked
// WIDE_LANES is compiled for it and may be called only when wideLanesAvailable() says so. Each
// such function rounds as the one-lane code it stands in for, so the results are the same bit for
// bit on any processor.

#define WIDE_LANES __attribute__((target("avx512f,bmi2")))

// True when this processor runs WIDE_LANES functions.
inline bool wideLanesAvailable() {
    static const bool available =
        __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("bmi2") != 0;
    return available;
}
