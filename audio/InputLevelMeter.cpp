#include "InputLevelMeter.h"

#include "MeasurementState.h"

#include <cmath>

void InputLevelMeter::addSamples (const float* samples, unsigned long count) noexcept
{
    float loudest = 0.0f;

    for (unsigned long i = 0; i < count; ++i)
        loudest = std::fmax (loudest, std::fabs (samples[i]));

    if (loudest >= MeasurementState::fullScale)
        clipped.store (true, std::memory_order_relaxed);

    // The reader swaps in -1 when it looks; a buffer adds to whatever is there.
    float seen = peak.load (std::memory_order_relaxed);

    while (loudest > seen && ! peak.compare_exchange_weak (seen, loudest, std::memory_order_relaxed))
    {
    }
}

float InputLevelMeter::takePeak() noexcept
{
    return peak.exchange (-1.0f, std::memory_order_relaxed);
}

void InputLevelMeter::reset() noexcept
{
    peak.store (-1.0f, std::memory_order_relaxed);
    clipped.store (false, std::memory_order_relaxed);
}
