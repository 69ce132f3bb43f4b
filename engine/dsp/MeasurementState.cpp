#include "MeasurementState.h"

#include "TrigTables.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace
{
    std::mutex audioMutex;
    constexpr auto claimRetryInterval = std::chrono::milliseconds (100);
}

MeasurementState::MeasurementState()
    : audioClaim (audioMutex, std::defer_lock)
{
    buildTrigTables();
}

MeasurementState::~MeasurementState()
{
    abandonStream();
    releaseCaptureBuffers();

    if (portAudioInitialised)
        Pa_Terminate();
}

bool MeasurementState::claimAudio()
{
    // Polled rather than a timed wait: ThreadSanitizer cannot follow the timed lock of this libstdc++.
    while (! audioClaim.owns_lock() && ! audioClaim.try_lock())
    {
        if (shouldExit && shouldExit())
            return false;

        std::this_thread::sleep_for (claimRetryInterval);
    }

    return true;
}

bool MeasurementState::allocateCaptureBuffers()
{
    releaseCaptureBuffers();

    captureBuffer = static_cast<StereoFrame*> (std::calloc (2 * static_cast<size_t> (blockLength), sizeof (StereoFrame)));
    analysisInput = static_cast<float*> (std::malloc (sizeof (float) * static_cast<size_t> (capturesKept) * static_cast<size_t> (blockLength)));

    return captureBuffer != nullptr && analysisInput != nullptr;
}

void MeasurementState::releaseCaptureBuffers()
{
    std::free (captureBuffer);
    std::free (analysisInput);
    captureBuffer = nullptr;
    analysisInput = nullptr;
    callbackContext.captureBuffer = nullptr;
    callbackContext.captureCapacity = 0;
}

void MeasurementState::abandonStream()
{
    if (stream == nullptr)
        return;

    Pa_AbortStream (stream);
    Pa_CloseStream (stream);
    stream = nullptr;
}
