#pragma once

#include "SpectrumArray.h"

#include <cstdint>

// Direct Fourier transform over the one-degree tables (see TrigTables.h). Every bin sums the
// first n - 1 samples in order in single precision; the magnitudes are bit-for-bit those of the
// plain per-bin loop, whichever kernel runs.
class DftAnalyzer final
{
public:
    enum class Kernel
    {
        best,     // the widest vector unit this processor has
        avx512,
        avx2,
        portable  // plain C++, any processor
    };

    // What transform() runs for a request: that kernel if this processor has it, else the
    // next narrower one. Sizes above 2^20 points always run the portable kernel.
    static Kernel kernelFor (Kernel requested, int32_t n);

    DftAnalyzer() = default;
    ~DftAnalyzer();

    DftAnalyzer (const DftAnalyzer&) = delete;
    DftAnalyzer& operator= (const DftAnalyzer&) = delete;

    // False for n <= 0, a sample rate <= 0 or when memory runs out; builds the trig tables.
    bool setup (int32_t n, int32_t sampleRate);
    bool isReady() const { return ready; }

    int32_t getNumPoints() const { return numPoints; }
    int32_t getSampleRate() const { return sampleRate; }

    // Entry j is -2 pi j / n (float), the angle step of sample j.
    const float* getIncrements() const { return increments; }

    // Bins 0 .. n/2 - 1 of a block of n samples into raw as (magnitude, 0, frequency).
    // Does nothing unless set up.
    void transform (const float* block, SpectrumArray& raw, Kernel kernel = Kernel::best);

    // The same for bins firstBin .. endBin - 1 only (clamped to 0 .. n/2), leaving raw's other
    // points alone: each bin's sums do not depend on the others.
    void transformBins (const float* block, SpectrumArray& raw, int32_t firstBin, int32_t endBin,
                        Kernel kernel = Kernel::best);

private:
    void release();

    bool ready = false;
    int32_t numPoints = 0;
    int32_t sampleRate = 44100;
    float* magnitudes = nullptr;
    float* frequencies = nullptr;
    float* increments = nullptr;
};
