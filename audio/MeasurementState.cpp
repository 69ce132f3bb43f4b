#include "MeasurementState.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

// In PortAudio's library, not in its public header.
extern "C" void PaUtil_SetDebugPrintFunction (void (*callback) (const char* log));

namespace
{
    std::mutex audioMutex;
    constexpr auto claimRetryInterval = std::chrono::milliseconds (100);

    std::atomic<bool> audioGivenUp { false };

    std::atomic<void (*) (const char*)> diagnosticsSink { nullptr };

    void forwardDiagnostics (const char* text)
    {
        if (auto* sink = diagnosticsSink.load())
            sink (text);
    }

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

void MeasurementState::routePortAudioDiagnostics (void (*sink) (const char* text))
{
    diagnosticsSink.store (sink);
    PaUtil_SetDebugPrintFunction (forwardDiagnostics);
}

PaError MeasurementState::initialisePortAudioQuietly()
{
    PaUtil_SetDebugPrintFunction (forwardDiagnostics);

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

bool MeasurementState::abortStreamsWithin (int32_t limitMs)
{
    constexpr auto step = std::chrono::milliseconds (10);
    std::vector<PaStream*> active;

    for (auto* stream : { outputStream, inputStream })
        if (stream != nullptr && Pa_IsStreamActive (stream) == 1)
            active.push_back (stream);

    // Shared with the aborting thread, which may outlive this call when the server does not answer.
    auto done = std::make_shared<std::atomic<bool>> (false);

    try
    {
        std::thread ([active, done] {
            for (auto* stream : active)
                Pa_AbortStream (stream);

            done->store (true);
        }).detach();
    }
    catch (const std::system_error&)
    {
        return false;
    }

    for (auto waited = std::chrono::milliseconds (0); waited < std::chrono::milliseconds (limitMs); waited += step)
    {
        if (done->load())
            return true;

        std::this_thread::sleep_for (step);
    }

    return done->load();
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
