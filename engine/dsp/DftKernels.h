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

#if defined(__x86_64__) || defined(__i386__)
#define SONAVEL_HAS_VECTOR_KERNELS 1

bool cpuHasAvx2();
bool cpuHasAvx512();

// Same results as the portable kernel; call them only when the processor has the unit.
void transformBinsAvx2 (const DftJob& job, int32_t firstBin, int32_t endBin);
void transformBinsAvx512 (const DftJob& job, int32_t firstBin, int32_t endBin);
#endif
