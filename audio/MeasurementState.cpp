#include "MeasurementState.h"
#include "PortAudioSession.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace
{
    constexpr auto claimRetryInterval = std::chrono::milliseconds (100);
}

MeasurementState::MeasurementState()
    : audioClaim (PortAudioSession::claimToTake())
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
    PortAudioSession::giveUp();
    PortAudioSession::keepForever (callbackSide.release());
    PortAudioSession::keepForever (captureBuffer);
    PortAudioSession::keepForever (playedBlock);

    captureBuffer = nullptr;
    playedBlock = nullptr;
    outputStream = nullptr;
    inputStream = nullptr;
    portAudioInitialised = false;
}

bool MeasurementState::claimAudio()
{
    // Polled rather than a timed wait: ThreadSanitizer cannot follow the timed lock of this libstdc++.
    while (! audioClaim.owns_lock() && ! audioClaim.try_lock())
    {
        if ((shouldExit && shouldExit()) || PortAudioSession::isGivenUp())
            return false;

        std::this_thread::sleep_for (claimRetryInterval);
    }

    return true;
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
