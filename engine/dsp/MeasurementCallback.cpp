#include "MeasurementCallback.h"

#include "CallbackContext.h"

#include <algorithm>

int measurementCallback (const void* input, void* output, unsigned long frameCount,
                         const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags statusFlags, void* userData)
{
    auto& context = *static_cast<CallbackContext*> (userData);
    auto& noise = *context.noise;

    context.callbacksRun.fetch_add (1, std::memory_order_relaxed);

    if (context.stopRequested.load (std::memory_order_acquire))
    {
        if (output != nullptr)
            std::fill_n (static_cast<float*> (output), 2 * frameCount, 0.0f);

        return paAbort;
    }

    const bool lastBuffer = static_cast<unsigned long> (std::max (noise.getFramesRemaining(), 0)) < frameCount;
    const int32_t count = noise.takeFrames (frameCount);

    // The whole buffer gets noise, also past the end of the run: a run plays whole buffers.
    if (output != nullptr)
        noise.fill (static_cast<float*> (output), frameCount);

    const int result = lastBuffer ? paComplete : paContinue;

    if (context.levelOnly)
        return result;

    // Every full buffer is numbered, also one that is dropped below, so that the worker counts
    // passes in the stream's time even when a sound server delivers buffers in bursts.
    const int32_t pass = context.fullBuffersSeen;

    constexpr PaStreamCallbackFlags glitches = paInputUnderflow | paInputOverflow | paOutputUnderflow | paOutputOverflow;

    if ((statusFlags & glitches) != 0)
        context.glitchPending = true;

    if (static_cast<unsigned long> (count) == frameCount)
        ++context.fullBuffersSeen;

    // The worker has not taken the previous buffer yet: this one is dropped rather than written
    // under its hands.
    if (context.framesReceived.load (std::memory_order_acquire) != 0)
        return result;

    context.bufferPass = pass;
    context.bufferGlitched = context.glitchPending;
    context.glitchPending = false;

    const int32_t frames = std::min (count, context.captureCapacity);
    const auto* samples = static_cast<const float*> (input);

    for (int32_t i = 0; i < frames; ++i)
    {
        const float sample = samples != nullptr ? samples[i] : 0.0f;
        context.captureBuffer[i] = { sample, sample };
    }

    context.framesReceived.store (count, std::memory_order_release);
    return result;
}
