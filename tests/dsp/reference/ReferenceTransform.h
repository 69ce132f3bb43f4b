#pragma once

#include <complex>
#include <cstdint>
#include <vector>

// The discrete Fourier transform as the plain per-bin loop over all n samples, in long double
// with exactly reduced angles: the yardstick the shipped transform is held against, in the tests
// and in the benchmark. Bins 0 .. n/2.
std::vector<std::complex<long double>> referenceTransform (const float* block, int32_t n);
