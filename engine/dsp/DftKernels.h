#pragma once

#include <cstdint>

// The transform's inner loops. Each computes bins [firstBin, endBin) into magnitudes, summing
// terms 0 .. numTerms - 1 in order per bin.
struct DftJob
{
    const float* block = nullptr;
    const float* increments = nullptr;
    int32_t numTerms = 0;
    float* magnitudes = nullptr;
};

void transformBinsPortable (const DftJob& job, int32_t firstBin, int32_t endBin);
