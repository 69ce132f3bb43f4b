#include "FlatNoise.h"

#include "RealFft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <new>
#include <vector>

namespace
{
    // Clipping at this many times the RMS and flattening the spectrum again, some thirty times
    // over, brings a random-phase block's crest factor from about 4 down to 1.6 (uniform noise's
    // is 1.73), with the spectrum exactly flat after the last flattening.
    constexpr double clipAtRms = 1.6;
    constexpr int iterations = 30;

    void flatten (std::vector<std::complex<float>>& bins)
    {
        bins.front() = 0.0f;
        bins.back() = 0.0f;

        for (size_t k = 1; k + 1 < bins.size(); ++k)
        {
            const float magnitude = std::abs (bins[k]);
            bins[k] = magnitude > 0.0f ? bins[k] / magnitude : std::complex<float> (1.0f, 0.0f);
        }
    }
}

bool FlatNoise::draw (float* block, int32_t n)
{
    if (block == nullptr || n < 4 || n % 2 != 0)
        return false;

    try
    {
        RealFft fft (n);

        if (! fft.isReady())
            return false;

        std::vector<std::complex<float>> bins (static_cast<size_t> (fft.numBins()));
        std::vector<float> samples (static_cast<size_t> (n));
        constexpr double twoPi = 6.283185307179586;

        for (size_t k = 1; k + 1 < bins.size(); ++k)
            bins[k] = std::polar (1.0f, static_cast<float> (twoPi * std::rand() / (static_cast<double> (RAND_MAX) + 1.0)));

        flatten (bins);

        for (int i = 0; i < iterations; ++i)
        {
            fft.inverse (bins.data(), samples.data());
            double sumOfSquares = 0.0;

            for (const float s : samples)
                sumOfSquares += static_cast<double> (s) * s;

            const auto limit = static_cast<float> (clipAtRms * std::sqrt (sumOfSquares / n));

            for (auto& s : samples)
                s = std::clamp (s, -limit, limit);

            fft.forward (samples.data(), bins.data());
            flatten (bins);
        }

        fft.inverse (bins.data(), samples.data());
        double sumOfSquares = 0.0;

        for (const float s : samples)
            sumOfSquares += static_cast<double> (s) * s;

        const auto scale = static_cast<float> (rms / std::sqrt (sumOfSquares / n));

        for (int32_t j = 0; j < n; ++j)
            block[j] = samples[static_cast<size_t> (j)] * scale;

        return true;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
}
