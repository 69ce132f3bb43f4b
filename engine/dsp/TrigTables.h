#pragma once

// Process-wide one-degree tables: entry k holds sin / cos of k degrees for k = 0..359, and
// entry 360 repeats entry 0 so that an angle rounding up to a full turn needs no branch.
constexpr int trigTableSize = 360;

// Fills both tables once per process; safe to call from any thread, any number of times.
void buildTrigTables();

const float* sineTable();
const float* cosineTable();

// The same values interleaved as (cosine, sine) pairs, 361 of them, so that one 64-bit load
// fetches both.
const float* cosineSinePairs();
