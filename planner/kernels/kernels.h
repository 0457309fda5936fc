#pragma once
// Which hand-widened paths a grid's work takes. The plain path is the reference every test
// compares against; AVX2 and AVX-512 paths round exactly as it does, so the choice changes
// speed, never a result. A grid takes its choice once, when it is built.

#include "planner/kernels/wideLanes.h"

#include <optional>
#include <string>

enum class Kernels {
    Plain,  // one lane at a time, on any processor
    Avx2,   // four doubles a register where that pays
    Avx512, // eight doubles a register in the exact search's offers, AVX2 elsewhere
};

// The widest paths this processor runs.
inline Kernels fastestKernels() {
    return widestLanesAvailable() && wideLanesAvailable() ? Kernels::Avx512
           : wideLanesAvailable()                         ? Kernels::Avx2
                                                          : Kernels::Plain;
}

// True when this processor runs the paths of `k`.
inline bool runsKernels(Kernels k) {
    return static_cast<int>(k) <= static_cast<int>(fastestKernels());
}

// True when `k` takes the AVX2 paths (AVX-512 takes them too).
inline bool takesWideLanes(Kernels k) {
    return k != Kernels::Plain;
}

inline const char* kernelsName(Kernels k) {
    return k == Kernels::Plain ? "plain" : k == Kernels::Avx2 ? "avx2" : "avx512";
}

// The paths named `plain`, `avx2` or `avx512`; none for any other name.
inline std::optional<Kernels> kernelsNamed(const std::string& name) {
    for (Kernels k : {Kernels::Plain, Kernels::Avx2, Kernels::Avx512}) {
        if (name == kernelsName(k)) {
            return k;
        }
    }
    return std::nullopt;
}
