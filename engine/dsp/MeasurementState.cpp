#include "MeasurementState.h"

#include "TrigTables.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace
{
    std::mutex audioMutex;
    constexpr auto claimRetryInterval = std::chrono::milliseconds (100);

    std::atomic<bool> audioGivenUp { false };

    // Given-up callback data stays reachable until the process ends.
    std::mutex givenUpMutex;
    std::vector<void*>& givenUpData()
    {
        static auto* kept = new std::vector<void*>();
        return *kept;
    }
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

void MeasurementState::giveUpStream()
{
    audioGivenUp.store (true);

    {
        const std::lock_guard<std::mutex> lock (givenUpMutex);
        givenUpData().push_back (callbackSide.release());
        givenUpData().push_back (captureBuffer);
    }

    captureBuffer = nullptr;
    stream = nullptr;
    portAudioInitialised = false;
}

bool MeasurementState::isAudioGivenUp()
{
    return audioGivenUp.load();
}

bool MeasurementState::claimAudio()
{
    // Polled rather than a timed wait: ThreadSanitizer cannot follow the timed lock of this libstdc++.
    while (! audioClaim.owns_lock() && ! audioClaim.try_lock())
    {
        if ((shouldExit && shouldExit()) || isAudioGivenUp())
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
