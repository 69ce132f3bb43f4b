#include "DftAnalyzer.h"

#include "DftKernels.h"
#include "DspConstants.h"
#include "TrigTables.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <thread>
#include <vector>

namespace
{
    float* allocateFloats (int32_t count)
    {
        return static_cast<float*> (std::malloc (sizeof (float) * static_cast<size_t> (count)));
    }

    using KernelFunction = void (*) (const DftJob&, int32_t, int32_t);

    KernelFunction functionOf (DftAnalyzer::Kernel kernel)
    {
        switch (kernel)
        {
#if SONAVEL_HAS_VECTOR_KERNELS
            case DftAnalyzer::Kernel::avx512: return transformBinsAvx512;
            case DftAnalyzer::Kernel::avx2: return transformBinsAvx2;
#endif
            default: return transformBinsPortable;
        }
    }

    // Bins go out in small chunks so a core slowed by other work just takes fewer of them.
    void runOverCores (const DftJob& job, int32_t firstBin, int32_t endBin, KernelFunction kernel)
    {
        constexpr int32_t chunk = 64;
        const int32_t numBins = endBin - firstBin;
        std::atomic<int32_t> nextBin { firstBin };

        auto work = [&]
        {
            for (;;)
            {
                const int32_t first = nextBin.fetch_add (chunk);

                if (first >= endBin)
                    return;

                kernel (job, first, std::min (first + chunk, endBin));
            }
        };

        const auto numThreads = static_cast<int32_t> (std::clamp (std::thread::hardware_concurrency(), 1u, 16u));
        std::vector<std::thread> helpers;

        for (int32_t t = 1; t < numThreads && t * chunk < numBins; ++t)
        {
            try
            {
                helpers.emplace_back (work);
            }
            catch (const std::exception&)
            {
                break; // no more threads to be had: the ones running share the bins
            }
        }

        work();

        for (auto& helper : helpers)
            helper.join();
    }
}

DftAnalyzer::Kernel DftAnalyzer::kernelFor ([[maybe_unused]] Kernel requested, [[maybe_unused]] int32_t n)
{
#if SONAVEL_HAS_VECTOR_KERNELS
    // The vector kernels' error bounds assume angles below a few hundred degrees after
    // reduction, which larger sizes no longer guarantee.
    if (n <= (1 << 20))
    {
        if ((requested == Kernel::best || requested == Kernel::avx512) && cpuHasAvx512())
            return Kernel::avx512;

        if (requested != Kernel::portable && cpuHasAvx2())
            return Kernel::avx2;
    }
#endif
    return Kernel::portable;
}

DftAnalyzer::~DftAnalyzer()
{
    release();
}

void DftAnalyzer::release()
{
    std::free (magnitudes);
    std::free (frequencies);
    std::free (increments);
    magnitudes = frequencies = increments = nullptr;
    ready = false;
    numPoints = 0;
}

bool DftAnalyzer::setup (int32_t n, int32_t newSampleRate)
{
    release();

    if (n <= 0 || newSampleRate <= 0)
        return false;

    magnitudes = allocateFloats (n);
    frequencies = allocateFloats (n);
    increments = allocateFloats (n);

    if (magnitudes == nullptr || frequencies == nullptr || increments == nullptr)
    {
        release();
        return false;
    }

    buildTrigTables();

    numPoints = n;
    sampleRate = newSampleRate;

    for (int32_t j = 0; j < n; ++j)
    {
        increments[j] = -2.0f * dsp::pi * static_cast<float> (j) / static_cast<float> (n);
        magnitudes[j] = 0.0f;
        frequencies[j] = static_cast<float> (static_cast<double> (j) * sampleRate / n);
    }

    ready = true;
    return true;
}

void DftAnalyzer::transform (const float* block, SpectrumArray& raw, Kernel kernel)
{
    transformBins (block, raw, 0, numPoints / 2, kernel);
}

void DftAnalyzer::transformBins (const float* block, SpectrumArray& raw, int32_t firstBin, int32_t endBin, Kernel kernel)
{
    firstBin = std::max (firstBin, 0);
    endBin = std::min (endBin, numPoints / 2);

    if (! ready || block == nullptr || firstBin >= endBin)
        return;

    const DftJob job { block, increments, numPoints - 1, magnitudes };

    runOverCores (job, firstBin, endBin, functionOf (kernelFor (kernel, numPoints)));

    for (int32_t i = firstBin; i < endBin; ++i)
    {
        auto& p = raw.point (i);
        p.magnitude = magnitudes[i];
        p.phase = 0.0f;
        p.frequency = frequencies[i];
    }
}
