#pragma once

#include <cstdint>

// The transform as a plain per-bin loop, every step in the order the design states it: the
// yardstick the shipped kernels must match bit for bit, in the tests and in the benchmark.
// Writes bins 0 .. n/2 - 1 into magnitudes. Returns false if some angle gave a table index that
// the "full turn counts as 0" rule does not cover (the index is then clamped, not read outside).
bool referenceTransform (const float* block, int32_t n, float* magnitudes);
