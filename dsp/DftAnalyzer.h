#pragma once

#include "MeasurementContract.h"
#include "RealFft.h"
#include "SpectrumArray.h"

#include <complex>
#include <cstdint>
#include <memory>
#include <vector>

// A block of n samples into its spectrum points: bins 0 .. n/2 - 1 as (2 |X|, phase, frequency),
// X the unnormalised transform over all n samples (see RealFft).
class DftAnalyzer final
{
public:
    // False for n < 2, a sample rate <= 0 or when memory runs out.
    bool setup (int32_t n, int32_t sampleRate);
    bool isReady() const { return fft != nullptr; }

    int32_t getNumPoints() const { return numPoints; }
    int32_t getSampleRate() const { return sampleRate; }

    // Writes points 0 .. n/2 - 1 of raw and leaves the others alone. Does nothing unless set up.
    void transform (const float* block, SpectrumArray& raw);

private:
    std::unique_ptr<RealFft> fft;
    std::vector<std::complex<float>> bins;
    int32_t numPoints = 0;
    int32_t sampleRate = MeasurementContract::sampleRate;
};
