#include "NoiseSource.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>

void NoiseSource::prepare (int32_t channelSelector)
{
    if (initialised)
        return;

    // Every run's noise differs from every other's, also two runs within one second (a run made
    // once more at once, two programs started together): a slow sound path may still deliver an
    // earlier run's noise, which must not pass for this run's.
    channelMask = channelSelector;
    static std::atomic<unsigned int> runs { 0 };
    const auto now = static_cast<unsigned int> (std::chrono::steady_clock::now().time_since_epoch().count());
    std::srand (static_cast<unsigned int> (std::time (nullptr)) ^ now ^ (runs.fetch_add (1) * 2654435761u));
    initialised = true;
}

void NoiseSource::loop (const float* block, int32_t length)
{
    loopBlock = length > 0 ? block : nullptr;
    loopLength = loopBlock != nullptr ? length : 0;
    loopPosition = 0;
}

int32_t NoiseSource::takeFrames (unsigned long frameCount)
{
    const auto taken = framesRemaining >= 0 && static_cast<unsigned long> (framesRemaining) >= frameCount
                           ? static_cast<int32_t> (frameCount)
                           : framesRemaining;
    framesRemaining -= taken;
    return taken;
}

void NoiseSource::fill (float* interleavedStereo, unsigned long numFrames)
{
    const bool left = (channelMask & 1) != 0;
    const bool right = (channelMask & 2) != 0;

    for (unsigned long i = 0; i < numFrames; ++i)
    {
        if (loopBlock != nullptr)
        {
            const float sample = loopBlock[loopPosition];
            loopPosition = loopPosition + 1 < loopLength ? loopPosition + 1 : 0;
            interleavedStereo[2 * i] = left ? sample : 0.0f;
            interleavedStereo[2 * i + 1] = right ? sample : 0.0f;
        }
        else
        {
            interleavedStereo[2 * i] = left ? nextSample() : 0.0f;
            interleavedStereo[2 * i + 1] = right ? nextSample() : 0.0f;
        }
    }
}

float NoiseSource::nextSample()
{
    // The level is defined for a generator of 0..32767; glibc's reaches 2^31 - 1, which unscaled
    // would play samples up to 131079 times full scale.
    const auto draw = static_cast<int32_t> (static_cast<int64_t> (std::rand()) * 32768 / (static_cast<int64_t> (RAND_MAX) + 1));
    return static_cast<float> (draw - 16383) / 16383.0f;
}
