#include "MeasurementCallback.h"

#include "CallbackContext.h"

#include <algorithm>

int playbackCallback (const void*, void* output, unsigned long frameCount,
                      const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* userData)
{
    auto& context = *static_cast<CallbackContext*> (userData);
    auto& noise = *context.noise;
    auto* samples = static_cast<float*> (output);

    if (context.playbackCallbacks.fetch_add (1, std::memory_order_relaxed) == 0)
        context.capturedAtFirstPlayback.store (context.framesCaptured.load (std::memory_order_acquire), std::memory_order_release);

    if (context.stopRequested.load (std::memory_order_acquire))
    {
        std::fill_n (samples, 2 * frameCount, 0.0f);
        return paAbort;
    }

    const bool lastBuffer = static_cast<unsigned long> (std::max (noise.getFramesRemaining(), 0)) < frameCount;
    noise.takeFrames (frameCount);

    // The whole buffer gets noise, also past the end of the run: a run plays whole buffers.
    noise.fill (samples, frameCount);

    if (! lastBuffer)
        return paContinue;

    context.noisePlayed.store (true, std::memory_order_release);
    return paComplete;
}

int captureCallback (const void* input, void*, unsigned long frameCount,
                     const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags statusFlags, void* userData)
{
    auto& context = *static_cast<CallbackContext*> (userData);

    context.captureCallbacks.fetch_add (1, std::memory_order_relaxed);

    if (context.stopRequested.load (std::memory_order_acquire))
        return paAbort;

    const auto* samples = static_cast<const float*> (input);

    if (context.meter != nullptr && samples != nullptr)
        context.meter->addSamples (samples, frameCount);

    const int32_t written = context.framesCaptured.load (std::memory_order_relaxed);
    constexpr PaStreamCallbackFlags glitches = paInputUnderflow | paInputOverflow;

    // What was lost came before these frames: the block they start in is the one with the gap.
    if ((statusFlags & glitches) != 0 && context.blockLength > 0 && written / context.blockLength < 64)
        context.glitchedBlocks.fetch_or (uint64_t { 1 } << (written / context.blockLength), std::memory_order_relaxed);

    const auto frames = static_cast<int32_t> (std::min<unsigned long> (frameCount, static_cast<unsigned long> (std::max (context.captureCapacity - written, 0))));

    for (int32_t i = 0; i < frames; ++i)
        context.captureBuffer[written + i] = samples != nullptr ? samples[i] : 0.0f;

    context.framesCaptured.store (written + frames, std::memory_order_release);
    return paContinue;
}
