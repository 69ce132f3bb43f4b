#pragma once

#include <complex>
#include <vector>

// Discrete Fourier transforms in double precision through FFTW, planned without measuring and
// without vector code, so that the same input gives the same bytes on any x86-64 processor.
// Plans are made under a lock: FFTW's planner is not thread-safe.
class Spectrum final
{
public:
    // Bins 0..n/2 of the real sequence x (n = x.size(), even).
    static std::vector<std::complex<double>> forward (const std::vector<double>& x);

    // The real sequence of n samples whose bins 0..n/2 are given, scaled by 1/n (the inverse of forward).
    static std::vector<double> inverse (const std::vector<std::complex<double>>& bins, int n);
};
