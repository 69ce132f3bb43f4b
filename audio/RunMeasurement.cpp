#include "RunMeasurement.h"

#include "CapturedBlock.h"
#include "FlatNoise.h"
#include "MeasurementCallback.h"
#include "MeasurementContract.h"
#include "NotchRecommendation.h"
#include "PortAudioSession.h"
#include "RouteParameters.h"
#include "SpectrumAnalysis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{
    constexpr int32_t pollIntervalMs = 100;

    // Both streams run on small host buffers with a fifth of a second of latency (RouteParameters).
    // Through a sound server a buffer of a whole analysis block left its queue running dry and
    // refilling in bursts; and PortAudio's full duplex over two devices that do not share a clock
    // (the sound server's plugin gives two) keeps them in step by dropping input or padding output,
    // which broke the noise's period, and under load failed polling the other device.
    constexpr unsigned long hostFramesPerBuffer = 2048;

    // The input records on after the noise has played, for as long as the sound path delays it,
    // up to this margin: a slower path cannot be measured.
    constexpr int32_t captureMarginMs = 3000;

    // A stream whose callbacks have not run for this long is taken as dead (a sound server that
    // went away can leave a stream active forever). Starting up takes up to about 2.5 s.
    constexpr int32_t stallLimitMs = 8000;

    // A run ends this long after its noise and margin, whatever the sound system does.
    constexpr int32_t deadlineSlackMs = 4000;

    constexpr const char* overranText = "the sound system did not play or record the noise in time";
    constexpr const char* pathTooSlowText = "the noise took longer than the recording's margin to reach the microphone";

    // One stream's callbacks: stalled when they have not advanced for stallLimitMs.
    class StreamWatch final
    {
    public:
        bool stalled (int32_t callbacks)
        {
            const auto now = std::chrono::steady_clock::now();

            if (callbacks != lastCallbacks)
            {
                lastCallbacks = callbacks;
                lastChange = now;
            }

            return now - lastChange >= std::chrono::milliseconds (stallLimitMs);
        }

    private:
        int32_t lastCallbacks = 0;
        std::chrono::steady_clock::time_point lastChange = std::chrono::steady_clock::now();
    };

    constexpr const char* givenUpText = "the audio system stopped answering when its sound server went away; "
                                        "restart the program to measure again";

    // Every return after the claim goes through here: nothing of the run is left open or allocated.
    int32_t finish (MeasurementState& state, int32_t status, MeasurementOutcome outcome, const char* why)
    {
        state.abandonStreams();
        state.releaseCaptureBuffers();
        state.outcome = outcome;
        state.errorText = why;
        return status;
    }

    // ALSA answers a device that another program holds open with "busy", which PortAudio
    // reports as unavailable.
    MeasurementOutcome outcomeOfStartError (PaError error)
    {
        return error == paDeviceUnavailable ? MeasurementOutcome::devicesBusy : MeasurementOutcome::noAudioDevice;
    }

    bool asksToExit (const MeasurementState& state)
    {
        return state.shouldExit && state.shouldExit();
    }

    // A microphone's own noise lies far above this; only a muted, unplugged or virtual input is
    // this quiet. The mean power over everything heard before the noise starts.
    constexpr double silentBelowDbfs = -130.0;
    constexpr int32_t listenBeforeNoiseMs = 500;
    constexpr int32_t listenStepMs = 10;

    // Listens to the input, which has just started, before any noise plays: true once it has
    // heard half a second of silence; false as soon as it hears anything (or hears nothing at
    // all for long, which the stall check will judge).
    bool inputIsSilent (MeasurementState& state)
    {
        const auto& context = state.callbackContext;
        const int32_t listenFrames = state.sampleRate * listenBeforeNoiseMs / 1000;
        const double silentPower = std::pow (10.0, silentBelowDbfs / 10.0);
        double sumOfSquares = 0.0;
        int32_t looked = 0;

        for (int32_t waited = 0; waited < stallLimitMs && ! asksToExit (state); waited += listenStepMs)
        {
            const int32_t captured = std::min (context.framesCaptured.load (std::memory_order_acquire), listenFrames);

            for (; looked < captured; ++looked)
                sumOfSquares += static_cast<double> (state.captureBuffer[looked]) * state.captureBuffer[looked];

            if (looked > 0 && sumOfSquares / looked >= silentPower)
                return false;

            if (looked >= listenFrames)
                return true;

            Pa_Sleep (listenStepMs);
        }

        return false;
    }

    bool anyStreamActive (const MeasurementState& state)
    {
        return (state.outputStream != nullptr && Pa_IsStreamActive (state.outputStream) == 1)
               || (state.inputStream != nullptr && Pa_IsStreamActive (state.inputStream) == 1);
    }

    // Asked to, the callbacks end their streams themselves and the threads leave on their own.
    // A stream whose callbacks do not run is aborted from outside: an output that never plays
    // while its server answers (its queue too short to start) stops at once. Only when even the
    // abort does not return (the server gone or hung, PortAudio's thread waiting on it inside
    // the server's client library) are the streams given up. False when they had to be.
    bool endStreamsFromCallbacks (MeasurementState& state)
    {
        constexpr int32_t stepMs = 10;
        constexpr int32_t limitMs = 1000;
        constexpr int32_t abortLimitMs = 2000;

        state.callbackContext.stopRequested.store (true, std::memory_order_release);

        for (int32_t waited = 0; waited < limitMs && anyStreamActive (state); waited += stepMs)
            Pa_Sleep (stepMs);

        if (! anyStreamActive (state) || state.abortStreamsWithin (abortLimitMs))
            return true;

        state.giveUpStreams();
        return false;
    }

    void lookAtBlock (MeasurementState& state, int32_t pass, uint64_t glitchedBlocks)
    {
        const int32_t length = state.blockLength;
        const float* block = state.captureBuffer + static_cast<size_t> (pass) * static_cast<size_t> (length);
        const bool silent = CapturedBlock::isSilent (block, length);
        const bool flagged = silent || CapturedBlock::wasGlitched (pass, glitchedBlocks) || CapturedBlock::hasSilentGap (block, length);

        state.heardAnything = state.heardAnything || ! silent;
        const auto look = state.estimator.look (block, flagged);

        if (! look.candidate)
        {
            // Amid the saved blocks a block that is not one is a glitch; after the last one the
            // noise has stopped, and what follows is not counted.
            if (state.capturesSaved > 0)
                ++state.unsteadyBlocksPending;

            return;
        }

        std::printf ("\nSaving data for FFT: %d of %d", state.capturesSaved, state.capturesWanted);

        for (int32_t i = 0; i < length; ++i)
            state.savedPeak = std::max (state.savedPeak, std::abs (block[i]));

        ++state.capturesSaved;
        state.glitchedBuffersSkipped += state.unsteadyBlocksPending;
        state.unsteadyBlocksPending = 0;

        if (state.capturesSaved == state.capturesWanted)
            state.dataForFFT = true;
    }

    // Where this run's noise arrived, once a block of it has been saved; and whether the whole
    // noise has been heard by now.
    bool heardTheWholeNoise (MeasurementState& state)
    {
        const int32_t captured = state.callbackContext.framesCaptured.load (std::memory_order_acquire);

        if (state.arrivalFrame < 0)
            state.arrivalFrame = state.estimator.arrivalFrame (state.captureBuffer, captured,
                                                              state.callbackContext.capturedAtFirstPlayback.load());

        if (state.arrivalFrame < 0)
            return false;

        // The last whole block that lies within the noise as the microphone hears it, however
        // much the noise has been held up on its way since it arrived.
        const auto heldUp = static_cast<int64_t> (std::max (state.estimator.delaySinceArrival(), 0.0));
        const int64_t lastBlockEnd = (state.arrivalFrame + state.noiseFrames + heldUp) / state.blockLength * state.blockLength;
        return captured >= lastBlockEnd;
    }
}

bool prepareCapture (MeasurementState& state, int32_t captureBlocks)
{
    if (! state.allocateCaptureBuffers (captureBlocks)
        || ! state.gains.allocate (state.blockLength)
        || ! state.smoothed.allocate (state.blockLength)
        || ! FlatNoise::draw (state.playedBlock, state.blockLength)
        || ! state.estimator.prepare (state.playedBlock, state.blockLength, state.sampleRate, captureBlocks))
        return false;

    auto& context = state.callbackContext;
    context.captureBuffer = state.captureBuffer;
    context.captureCapacity = captureBlocks * state.blockLength;
    context.blockLength = state.blockLength;
    context.framesCaptured.store (0);
    context.glitchedBlocks.store (0);
    context.capturedAtFirstPlayback.store (-1);
    return true;
}

void pollCapture (MeasurementState& state)
{
    auto& context = state.callbackContext;
    const int32_t wholeBlocks = context.framesCaptured.load (std::memory_order_acquire) / state.blockLength;
    const uint64_t glitchedBlocks = context.glitchedBlocks.load (std::memory_order_relaxed);

    for (; state.capturePass < wholeBlocks; ++state.capturePass)
    {
        std::printf ("\nFull buffer ready on input, CapturePass %d, DataForFFT: %s",
                     state.capturePass, state.dataForFFT ? "true" : "false");

        if (! state.dataForFFT)
            lookAtBlock (state, state.capturePass, glitchedBlocks);
    }

    std::fflush (stdout);
}

int32_t runMeasurement (int32_t durationMs, MeasurementState& state, int32_t channelSelector, float* result,
                        int32_t& frequencyHz, int32_t& qSetting, int32_t& depthSetting, float& spare,
                        bool levelOnly)
{
    const auto noiseFrames = static_cast<int32_t> (static_cast<double> (MeasurementContract::sampleRate) * durationMs / 1000.0);

    state.channelSelector = channelSelector;
    state.sampleRate = MeasurementContract::sampleRate;
    state.durationMs = durationMs;
    state.blockLength = MeasurementContract::blockLength;
    state.noiseFrames = noiseFrames;
    state.capturesWanted = std::max (noiseFrames / state.blockLength, 1);
    state.capturePass = 0;
    state.capturesSaved = 0;
    state.dataForFFT = false;
    state.errorText = nullptr;
    state.streamErrorAfterSteadyBlocks = nullptr;
    state.outcome = MeasurementOutcome::none;
    state.savedPeak = 0.0f;
    state.glitchedBuffersSkipped = 0;
    state.unsteadyBlocksPending = 0;
    state.heardAnything = false;
    state.silentBeforeNoise = false;
    state.meterError = nullptr;
    state.arrivalFrame = -1;
    state.pathDelayMs = -1.0;

    if (PortAudioSession::isGivenUp())
        return finish (state, statusAudioError, MeasurementOutcome::audioGivenUp, givenUpText);

    if (! state.claimAudio())
    {
        if (PortAudioSession::isGivenUp())
            return finish (state, statusAudioError, MeasurementOutcome::audioGivenUp, givenUpText);

        return finish (state, statusFailed, MeasurementOutcome::stopped, "stopped while another test held the audio devices");
    }

    Pa_Terminate();
    const PaError initError = PortAudioSession::initialiseQuietly();

    if (initError != paNoError)
        return finish (state, statusAudioError, MeasurementOutcome::noAudioDevice, Pa_GetErrorText (initError));

    state.portAudioInitialised = true;

    // The level test listens only for the meter, and plays on without it.
    const bool listens = ! levelOnly || state.callbackContext.meter != nullptr;
    const auto outputFound = RouteParameters::fill (state.outputRoute, false, state.outputParameters,
                                             state.outputDeviceString, state.outputRouteInfo);
    const auto inputFound = listens ? RouteParameters::fill (state.inputRoute, true, state.inputParameters,
                                                      state.inputDeviceString, state.inputRouteInfo)
                                    : MeasurementOutcome::ok;

    if (outputFound != MeasurementOutcome::ok)
        return finish (state, statusAudioError, outputFound, RouteParameters::textOf (outputFound));

    if (inputFound != MeasurementOutcome::ok && ! levelOnly)
        return finish (state, statusAudioError, inputFound, RouteParameters::textOf (inputFound));

    // The recording holds the listening before the noise, the noise, and the margin after it.
    const int32_t marginFrames = MeasurementContract::sampleRate * captureMarginMs / 1000;
    const int32_t listenFrames = MeasurementContract::sampleRate * listenBeforeNoiseMs / 1000;
    const int32_t captureBlocks = (listenFrames + noiseFrames + marginFrames) / state.blockLength + 2;

    if (! levelOnly && ! prepareCapture (state, captureBlocks))
        return finish (state, statusOutOfMemory, MeasurementOutcome::outOfMemory, "out of memory");

    auto& context = state.callbackContext;
    context.noise = &state.noiseSource;
    context.playbackCallbacks.store (0);
    context.captureCallbacks.store (0);
    context.stopRequested.store (false);
    context.noisePlayed.store (false);

    const auto sampleRate = static_cast<double> (state.sampleRate);
    PaError openError = Pa_OpenStream (&state.outputStream, nullptr, &state.outputParameters, sampleRate,
                                       hostFramesPerBuffer, paClipOff, playbackCallback, &context);

    // A stream that failed to open is no stream; one that did is closed on the way out.
    if (openError != paNoError)
    {
        state.outputStream = nullptr;
        return finish (state, statusAudioError, outcomeOfStartError (openError), Pa_GetErrorText (openError));
    }

    if (listens && inputFound == MeasurementOutcome::ok
        && (openError = Pa_OpenStream (&state.inputStream, &state.inputParameters, nullptr, sampleRate,
                                       hostFramesPerBuffer, paClipOff, captureCallback, &context)) != paNoError)
    {
        state.inputStream = nullptr;

        if (! levelOnly)
            return finish (state, statusAudioError, outcomeOfStartError (openError), Pa_GetErrorText (openError));

        state.meterError = Pa_GetErrorText (openError);
    }
    else if (inputFound != MeasurementOutcome::ok)
    {
        state.meterError = RouteParameters::textOf (inputFound);
    }

    state.noiseSource.prepare (channelSelector);

    if (! levelOnly)
        state.noiseSource.loop (state.playedBlock, state.blockLength);

    state.noiseSource.setFramesRemaining (noiseFrames);

    // The input first, so that it already listens when the noise arrives.
    PaError startError = state.inputStream != nullptr ? Pa_StartStream (state.inputStream) : paNoError;

    if (startError != paNoError && ! levelOnly)
        return finish (state, statusAudioError, outcomeOfStartError (startError), Pa_GetErrorText (startError));

    if (startError != paNoError)
        state.meterError = Pa_GetErrorText (startError);

    // A microphone that hears nothing at all is not worth five seconds of noise.
    if (! levelOnly && inputIsSilent (state))
    {
        state.silentBeforeNoise = true;
        endStreamsFromCallbacks (state);
        return finish (state, statusFailed, MeasurementOutcome::silence, "the microphone heard nothing, not even its own noise");
    }

    startError = Pa_StartStream (state.outputStream);

    if (startError != paNoError)
        return finish (state, statusAudioError, outcomeOfStartError (startError), Pa_GetErrorText (startError));

    // However the sound system behaves, a run ends: the noise, the margin, and time to start up.
    const auto deadline = std::chrono::steady_clock::now()
                          + std::chrono::milliseconds (durationMs + (levelOnly ? 0 : captureMarginMs) + deadlineSlackMs);
    StreamWatch playbackWatch, captureWatch;
    int32_t outputDoneAtFrame = -1;
    const char* streamError = nullptr;

    for (;;)
    {
        const PaError outputActive = Pa_IsStreamActive (state.outputStream);

        if (outputActive < 0)
        {
            streamError = Pa_GetErrorText (outputActive);
            break;
        }

        const bool capturing = ! levelOnly;
        const PaError inputActive = capturing ? Pa_IsStreamActive (state.inputStream) : 1;

        // An input that ends by itself ends the run; whether the noise had played by then says
        // what went wrong, if anything did.
        if (inputActive != 1)
        {
            streamError = inputActive < 0 ? Pa_GetErrorText (inputActive) : nullptr;
            break;
        }

        if (capturing)
            pollCapture (state);

        if (asksToExit (state))
        {
            endStreamsFromCallbacks (state);
            return finish (state, statusFailed, MeasurementOutcome::stopped, "stopped on request");
        }

        const int32_t captured = context.framesCaptured.load (std::memory_order_acquire);

        if (outputActive == 0 && outputDoneAtFrame < 0)
            outputDoneAtFrame = captured;

        // The noise has played. The microphone hears it later by the sound path's delay: the
        // recording goes on until the whole noise has arrived, or the margin is up.
        if (outputDoneAtFrame >= 0
            && (! capturing || heardTheWholeNoise (state) || captured >= outputDoneAtFrame + marginFrames
                || captured >= context.captureCapacity))
            break;

        const bool playbackStalled = outputActive == 1 && playbackWatch.stalled (context.playbackCallbacks.load (std::memory_order_relaxed));
        const bool captureStalled = capturing && captureWatch.stalled (context.captureCallbacks.load (std::memory_order_relaxed));

        if (playbackStalled || captureStalled || std::chrono::steady_clock::now() >= deadline)
        {
            if (! endStreamsFromCallbacks (state))
                return finish (state, statusFailed, MeasurementOutcome::audioGivenUp, "the audio stream stalled: its sound server stopped answering");

            return finish (state, statusFailed, MeasurementOutcome::overran, overranText);
        }

        Pa_Sleep (pollIntervalMs);
    }

    // The input has nothing more to hear.
    if (! endStreamsFromCallbacks (state))
        return finish (state, statusFailed, MeasurementOutcome::audioGivenUp, "the audio stream stalled: its sound server stopped answering");

    if (! levelOnly)
        pollCapture (state);

    // A stream whose sound server went away ends as if it had completed, before its noise has played.
    if (streamError == nullptr && ! context.noisePlayed.load (std::memory_order_acquire))
        streamError = "the audio stream ended before the noise had played";

    for (auto* stream : { &state.outputStream, &state.inputStream })
    {
        if (*stream == nullptr)
            continue;

        const PaError closeError = Pa_CloseStream (*stream);
        *stream = nullptr;

        if (closeError != paNoError)
            return finish (state, statusCloseError, MeasurementOutcome::streamStopped, Pa_GetErrorText (closeError));
    }

    if (levelOnly)
        return streamError != nullptr ? finish (state, statusFailed, MeasurementOutcome::streamStopped, streamError)
                                      : finish (state, statusOk, MeasurementOutcome::ok, nullptr);

    // The saved blocks that agree with each other; the rest were the room ringing up or glitches.
    const int32_t averaged = state.estimator.settle();
    state.glitchedBuffersSkipped += state.capturesSaved - averaged;

    const int32_t captured = context.framesCaptured.load (std::memory_order_acquire);
    const int32_t firstPlayback = context.capturedAtFirstPlayback.load (std::memory_order_acquire);
    state.arrivalFrame = state.estimator.arrivalFrame (state.captureBuffer, captured, firstPlayback);

    // Counted from how much had been recorded when the first noise went out, which the input's
    // own buffering blurs by some tens of milliseconds either way.
    if (state.arrivalFrame >= 0 && firstPlayback >= 0)
        state.pathDelayMs = std::max (0.0, 1000.0 * static_cast<double> (state.arrivalFrame - firstPlayback) / state.sampleRate);

    if (! state.hasSteadyBlocks())
    {
        if (streamError != nullptr)
            return finish (state, statusFailed, MeasurementOutcome::streamStopped, streamError);

        if (! state.heardAnything)
            return finish (state, statusFailed, MeasurementOutcome::silence, "the microphone recorded only silence");

        // The noise was still arriving when the recording had to end.
        if (state.arrivalFrame >= 0 && state.arrivalFrame + noiseFrames > captured)
            return finish (state, statusFailed, MeasurementOutcome::pathTooSlow, pathTooSlowText);

        return finish (state, statusFailed, MeasurementOutcome::unsteady, "no block of the recording held this run's noise steadily");
    }

    state.streamErrorAfterSteadyBlocks = streamError;

    if (asksToExit (state))
        return finish (state, statusFailed, MeasurementOutcome::stopped, "stopped on request");

    if (! state.estimator.response (state.gains) || ! analyseGains (state.microphoneCorrection.removeFrom (state.gains), state.smoothed))
        return finish (state, statusFailed, MeasurementOutcome::silence, "the captured blocks gave no response (silence?)");

    if (result == nullptr)
        return finish (state, statusOk, MeasurementOutcome::ok, nullptr);

    for (int32_t i = 0; i < state.blockLength; ++i)
        result[i] = state.smoothed.point (i).magnitude;

    const float hzPerIndex = static_cast<float> (state.sampleRate) / static_cast<float> (state.blockLength);
    const EqSettings notch = recommendNotch (result, state.blockLength, hzPerIndex);
    frequencyHz = notch.frequencyHz;
    qSetting = notch.qSetting;
    depthSetting = notch.depthSetting;
    spare = 0.0f;

    return finish (state, statusOk, MeasurementOutcome::ok, nullptr);
}
