#include "MeasurementState.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
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
}

MeasurementState::~MeasurementState()
{
    abandonStreams();
    releaseCaptureBuffers();

    if (portAudioInitialised)
        Pa_Terminate();
}

void MeasurementState::giveUpStreams()
{
    audioGivenUp.store (true);

    {
        const std::lock_guard<std::mutex> lock (givenUpMutex);
        givenUpData().push_back (callbackSide.release());
        givenUpData().push_back (captureBuffer);
        givenUpData().push_back (playedBlock);
    }

    captureBuffer = nullptr;
    playedBlock = nullptr;
    outputStream = nullptr;
    inputStream = nullptr;
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

std::unique_lock<std::mutex> MeasurementState::tryClaimAudio()
{
    return std::unique_lock<std::mutex> (audioMutex, std::try_to_lock);
}

PaError MeasurementState::initialisePortAudioQuietly()
{
    // PortAudio's scan of every ALSA and JACK device complains on standard error about each
    // device it cannot open, at every run; those lines tell the person measuring nothing.
    std::fflush (stderr);
    const int savedError = dup (STDERR_FILENO);
    const int nowhere = open ("/dev/null", O_WRONLY | O_CLOEXEC);

    if (savedError >= 0 && nowhere >= 0)
        dup2 (nowhere, STDERR_FILENO);

    const PaError result = Pa_Initialize();

    if (savedError >= 0 && nowhere >= 0)
        dup2 (savedError, STDERR_FILENO);

    if (nowhere >= 0)
        close (nowhere);

    if (savedError >= 0)
        close (savedError);

    return result;
}

void MeasurementState::setInputMeter (std::shared_ptr<InputLevelMeter> meter)
{
    callbackContext.meter = meter.get();
    callbackSide->meter = std::move (meter);
}

bool MeasurementState::allocateCaptureBuffers (int32_t captureBlocks)
{
    releaseCaptureBuffers();

    const auto length = static_cast<size_t> (blockLength);
    captureBuffer = static_cast<float*> (std::calloc (static_cast<size_t> (captureBlocks) * length, sizeof (float)));
    playedBlock = static_cast<float*> (std::calloc (length, sizeof (float)));

    return captureBuffer != nullptr && playedBlock != nullptr;
}

void MeasurementState::releaseCaptureBuffers()
{
    // The loop must not outlive its block; a given-up run's block lives on with its callbacks.
    if (playedBlock != nullptr)
        noiseSource.loop (nullptr, 0);

    callbackContext.captureCapacity = 0;

    std::free (captureBuffer);
    std::free (playedBlock);
    captureBuffer = nullptr;
    playedBlock = nullptr;
}

void MeasurementState::abandonStreams()
{
    for (auto* stream : { &outputStream, &inputStream })
    {
        if (*stream == nullptr)
            continue;

        Pa_AbortStream (*stream);
        Pa_CloseStream (*stream);
        *stream = nullptr;
    }
}
