#include "RealFft.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>

namespace
{
    std::mutex& plannerMutex()
    {
        static std::mutex mutex;
        return mutex;
    }
}

RealFft::RealFft (int32_t n)
{
    if (n < 2)
        return;

    const std::lock_guard<std::mutex> lock (plannerMutex());
    timeBuffer = fftwf_alloc_real (static_cast<size_t> (n));
    binBuffer = reinterpret_cast<std::complex<float>*> (fftwf_alloc_complex (static_cast<size_t> (n / 2 + 1)));

    if (timeBuffer == nullptr || binBuffer == nullptr)
        return;

    // Estimated plans: made in microseconds and the same on every run, where measured ones would
    // take a while and could differ from run to run.
    auto* complexBins = reinterpret_cast<fftwf_complex*> (binBuffer);
    forwardPlan = fftwf_plan_dft_r2c_1d (n, timeBuffer, complexBins, FFTW_ESTIMATE);
    inversePlan = fftwf_plan_dft_c2r_1d (n, complexBins, timeBuffer, FFTW_ESTIMATE);
    length = n;
}

RealFft::~RealFft()
{
    const std::lock_guard<std::mutex> lock (plannerMutex());

    if (forwardPlan != nullptr)
        fftwf_destroy_plan (static_cast<fftwf_plan> (forwardPlan));

    if (inversePlan != nullptr)
        fftwf_destroy_plan (static_cast<fftwf_plan> (inversePlan));

    fftwf_free (timeBuffer);
    fftwf_free (binBuffer);
}

void RealFft::forward (const float* samples, std::complex<float>* bins)
{
    if (! isReady())
        return;

    std::copy (samples, samples + length, timeBuffer);
    fftwf_execute (static_cast<fftwf_plan> (forwardPlan));
    std::copy (binBuffer, binBuffer + numBins(), bins);
}

void RealFft::inverse (const std::complex<float>* bins, float* samples)
{
    if (! isReady())
        return;

    // FFTW's inverse real transform overwrites its input.
    std::copy (bins, bins + numBins(), binBuffer);
    fftwf_execute (static_cast<fftwf_plan> (inversePlan));
    const float scale = 1.0f / static_cast<float> (length);

    for (int32_t i = 0; i < length; ++i)
        samples[i] = timeBuffer[i] * scale;
}
