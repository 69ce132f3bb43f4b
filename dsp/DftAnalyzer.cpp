#include "DftAnalyzer.h"

#include <cmath>
#include <new>

bool DftAnalyzer::setup (int32_t n, int32_t newSampleRate)
{
    fft.reset();
    numPoints = 0;

    if (n < 2 || newSampleRate <= 0)
        return false;

    try
    {
        auto transform = std::make_unique<RealFft> (n);
        bins.assign (static_cast<size_t> (transform->numBins()), {});

        if (! transform->isReady())
            return false;

        fft = std::move (transform);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }

    numPoints = n;
    sampleRate = newSampleRate;
    return true;
}

void DftAnalyzer::transform (const float* block, SpectrumArray& raw)
{
    if (fft == nullptr || block == nullptr)
        return;

    fft->forward (block, bins.data());
    const double hzPerBin = static_cast<double> (sampleRate) / numPoints;

    for (int32_t i = 0; i < numPoints / 2; ++i)
    {
        const auto bin = bins[static_cast<size_t> (i)];
        auto& p = raw.point (i);
        p.magnitude = 2.0f * std::abs (bin);
        p.phase = std::arg (bin);
        p.frequency = static_cast<float> (i * hzPerBin);
    }
}
