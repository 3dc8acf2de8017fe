#pragma once

#include <cstdlib>

/// Benchmarks live apart from orvane: the effects they load out of process run in the
/// orvane-fx of this build tree, unless $ORVANE_FX names another.
inline const bool kBenchEffectProgramChosen = [] {
    ::setenv("ORVANE_FX", ORVANE_FX_PROGRAM, 0);
    return true;
}();
