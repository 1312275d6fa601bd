#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// Sorts values(1..n) in place. kind 1: ascending; kind 2: ascending, applying the same
// permutation to companion(1..n); kinds -1 and -2: the same, descending. Not stable. Reports to
// ErrorSink ("FITLIB", "DSORT") and sorts nothing when n <= 0 (error 1), when kind is none of
// those four (error 2), or when an array to be sorted holds fewer than n values (error 3).
// Values that are NaN end up somewhere in the array; nothing is read outside it.
// Method: quicksort with a median-of-three split element and an explicit stack, finished by
// straight insertion (Singleton, CACM algorithm 347, 1969). No allocation.
void DSORT(std::span<double> values, std::span<double> companion, std::int32_t n, std::int32_t kind);

}  // namespace ruvo
