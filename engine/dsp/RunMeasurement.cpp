#include "RunMeasurement.h"

#include "MeasurementCallback.h"
#include "NotchRecommendation.h"
#include "SpectrumAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
    constexpr int32_t measurementSampleRate = 44100;
    constexpr int32_t framesPerBuffer = 16384;
    constexpr int32_t pollIntervalMs = 100;

    // A stream whose callback has not run for this long is taken as dead (a sound server that went
    // away can leave the stream active forever). Starting up takes up to about 2.5 s.
    constexpr int32_t stallLimitMs = 8000;

    constexpr const char* givenUpText = "the audio system stopped answering when its sound server went away; "
                                        "restart the program to measure again";

    // Every return after the claim goes through here: nothing of the run is left open or allocated.
    int32_t finish (MeasurementState& state, int32_t status, MeasurementOutcome outcome, const char* why)
    {
        state.abandonStream();
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

    bool fillStreamParameters (MeasurementState& state)
    {
        const PaDeviceIndex inputDevice = Pa_GetDefaultInputDevice();
        const PaDeviceInfo* inputInfo = Pa_GetDeviceInfo (inputDevice);
        const PaDeviceIndex outputDevice = Pa_GetDefaultOutputDevice();
        const PaDeviceInfo* outputInfo = Pa_GetDeviceInfo (outputDevice);

        if (inputInfo == nullptr || outputInfo == nullptr)
            return false;

        state.inputParameters = { inputDevice, 1, paFloat32, inputInfo->defaultLowInputLatency, nullptr };
        state.outputParameters = { outputDevice, 2, paFloat32, outputInfo->defaultLowOutputLatency, nullptr };
        return true;
    }

    bool asksToExit (const MeasurementState& state)
    {
        return state.shouldExit && state.shouldExit();
    }

    // Aborting a running stream from outside cancels PortAudio's audio thread, which can then
    // deadlock inside the sound server's client library. Asked to, the callback ends the stream
    // itself and the thread leaves on its own; only a stream whose callback no longer runs (its
    // server gone) is left for the abort.
    void endStreamFromCallback (MeasurementState& state)
    {
        constexpr int32_t stepMs = 10;
        constexpr int32_t limitMs = 1000;

        state.callbackContext.stopRequested.store (true, std::memory_order_release);

        for (int32_t waited = 0; waited < limitMs && Pa_IsStreamActive (state.stream) == 1; waited += stepMs)
            Pa_Sleep (stepMs);

        if (Pa_IsStreamActive (state.stream) == 1)
            state.giveUpStream();
    }

    float capturedSample (const StereoFrame& frame, int32_t channelSelector)
    {
        switch (channelSelector)
        {
            case 1: return frame.left;
            case 2: return frame.right;
            case 3: return frame.left + frame.right;
            default: return 0.0f;
        }
    }

    // A microphone's own noise never rests on exactly zero for long. A run of exact zeros amid the
    // noise is silence the sound server filled in (a stream that ran dry) or noise that had not yet
    // arrived: either gives the block a gap. A block silent throughout is left to the analysis,
    // which reports the silence.
    constexpr int32_t silentGapFrames = 64;

    bool hasSilentGap (const MeasurementState& state)
    {
        int32_t zeros = 0;
        bool heard = false;
        bool gap = false;

        for (int32_t i = 0; i < state.blockLength; ++i)
        {
            if (capturedSample (state.captureBuffer[i], state.channelSelector) == 0.0f)
            {
                gap = gap || ++zeros >= silentGapFrames;
            }
            else
            {
                zeros = 0;
                heard = true;
            }
        }

        return gap && heard;
    }
}

int32_t warmUpPassesFor (const PaStreamInfo* info, int32_t sampleRate, int32_t blockLength)
{
    // The output starts with as much silence as it buffers, while the input records from the
    // first frame: through a sound server that is three whole blocks, and the block kept after a
    // fixed second of warm-up would begin just as the noise arrives, or before. Blocks of the
    // output's latency are skipped as well, so the kept block lies a whole block into the noise.
    if (info == nullptr || ! (info->outputLatency > 0.0))
        return 0;

    return static_cast<int32_t> (std::lround (info->outputLatency * sampleRate / blockLength));
}

void pollCapture (MeasurementState& state)
{
    auto& context = state.callbackContext;

    if (context.framesReceived.load (std::memory_order_acquire) != state.blockLength)
        return;

    // Buffers the callback had to drop (delivered in a burst) still count as passes.
    if (! state.dataForFFT)
        state.capturePass = std::max (state.capturePass, context.bufferPass);

    std::printf ("\nFull buffer ready on input, CapturePass %d, DataForFFT: %s",
                 state.capturePass, state.dataForFFT ? "true" : "false");

    if (! state.dataForFFT)
    {
        const int32_t pass = state.capturePass++;

        if (pass > state.lastWarmUpPass && state.capturesSaved < state.capturesKept
            && (context.bufferGlitched || hasSilentGap (state)))
        {
            // A block with a gap or a jump in it would give a wrong curve: keep a later one.
            ++state.glitchedBuffersSkipped;
        }
        else if (pass > state.lastWarmUpPass)
        {
            if (state.capturesSaved < state.capturesKept)
            {
                std::printf ("\nSaving data for FFT: %d of %d", state.capturesSaved, state.capturesKept);

                float* destination = state.analysisInput + state.capturesSaved * state.blockLength;

                for (int32_t i = 0; i < state.blockLength; ++i)
                {
                    destination[i] = capturedSample (state.captureBuffer[i], state.channelSelector);
                    state.keptPeak = std::max (state.keptPeak, std::abs (state.captureBuffer[i].left));
                }

                ++state.capturesSaved;
            }
            else
            {
                state.dataForFFT = true;
            }
        }
    }

    std::fflush (stdout);
    context.framesReceived.store (0, std::memory_order_release);
}

int32_t runMeasurement (int32_t durationMs, MeasurementState& state, int32_t channelSelector, float* result,
                        int32_t& firstOutput, int32_t& secondOutput, int32_t& thirdOutput, float& floatOutput,
                        bool levelOnly)
{
    state.channelSelector = channelSelector;
    state.sampleRate = measurementSampleRate;
    state.durationMs = durationMs;
    state.blockLength = framesPerBuffer;
    state.capturesKept = 1;
    state.capturePass = 0;
    state.lastWarmUpPass = state.sampleRate / state.blockLength;
    state.capturesSaved = 0;
    state.dataForFFT = false;
    state.errorText = nullptr;
    state.outcome = MeasurementOutcome::none;
    state.keptPeak = 0.0f;
    state.glitchedBuffersSkipped = 0;

    if (MeasurementState::isAudioGivenUp())
        return finish (state, statusAudioError, MeasurementOutcome::audioGivenUp, givenUpText);

    if (! state.claimAudio())
    {
        if (MeasurementState::isAudioGivenUp())
            return finish (state, statusAudioError, MeasurementOutcome::audioGivenUp, givenUpText);

        return finish (state, statusFailed, MeasurementOutcome::stopped, "stopped while another test held the audio devices");
    }

    Pa_Terminate();
    const PaError initError = Pa_Initialize();

    if (initError != paNoError)
        return finish (state, statusAudioError, MeasurementOutcome::noAudioDevice, Pa_GetErrorText (initError));

    state.portAudioInitialised = true;

    if (! fillStreamParameters (state))
        return finish (state, statusAudioError, MeasurementOutcome::noAudioDevice, "no default audio input or output device");

    if (! state.allocateCaptureBuffers()
        || ! state.raw.allocate (state.blockLength)
        || ! state.smoothed.allocate (state.blockLength)
        || ! state.dft.setup (state.blockLength, state.sampleRate))
        return finish (state, statusOutOfMemory, MeasurementOutcome::outOfMemory, "out of memory");

    auto& context = state.callbackContext;
    context.noise = &state.noiseSource;
    context.captureBuffer = state.captureBuffer;
    context.captureCapacity = 2 * state.blockLength;
    context.framesReceived.store (0);
    context.levelOnly = levelOnly;
    context.callbacksRun.store (0);
    context.stopRequested.store (false);
    context.fullBuffersSeen = 0;
    context.bufferPass = 0;
    context.glitchPending = false;
    context.bufferGlitched = false;

    const PaError openError = Pa_OpenStream (&state.stream, &state.inputParameters, &state.outputParameters,
                                             static_cast<double> (state.sampleRate),
                                             static_cast<unsigned long> (state.blockLength),
                                             paClipOff, measurementCallback, &context);

    if (openError != paNoError)
    {
        state.stream = nullptr;
        return finish (state, statusAudioError, outcomeOfStartError (openError), Pa_GetErrorText (openError));
    }

    state.noiseSource.prepare (channelSelector);
    state.noiseSource.setFramesRemaining (static_cast<int32_t> (static_cast<double> (state.sampleRate) * durationMs / 1000.0));

    const PaError startError = Pa_StartStream (state.stream);

    if (startError != paNoError)
        return finish (state, statusAudioError, outcomeOfStartError (startError), Pa_GetErrorText (startError));

    state.lastWarmUpPass = std::max (state.lastWarmUpPass,
                                     warmUpPassesFor (Pa_GetStreamInfo (state.stream), state.sampleRate, state.blockLength));

    int32_t lastCallbacks = 0;
    int32_t msWithoutCallback = 0;
    PaError active;

    while ((active = Pa_IsStreamActive (state.stream)) == 1)
    {
        pollCapture (state);

        if (asksToExit (state))
        {
            endStreamFromCallback (state);
            return finish (state, statusFailed, MeasurementOutcome::stopped, "stopped on request");
        }

        const int32_t callbacks = context.callbacksRun.load (std::memory_order_relaxed);
        msWithoutCallback = callbacks == lastCallbacks ? msWithoutCallback + pollIntervalMs : 0;
        lastCallbacks = callbacks;

        if (msWithoutCallback >= stallLimitMs)
        {
            state.giveUpStream();
            return finish (state, statusFailed, MeasurementOutcome::audioGivenUp, "the audio stream stalled: its sound server stopped answering");
        }

        Pa_Sleep (pollIntervalMs);
    }

    if (active < 0)
        return finish (state, statusFailed, MeasurementOutcome::streamStopped, Pa_GetErrorText (active));

    const PaError closeError = Pa_CloseStream (state.stream);
    state.stream = nullptr;

    if (closeError != paNoError)
        return finish (state, statusCloseError, MeasurementOutcome::streamStopped, Pa_GetErrorText (closeError));

    if (levelOnly)
        return finish (state, statusOk, MeasurementOutcome::ok, nullptr);

    // The pass after the kept block only marks the data ready; when blocks with gaps pushed the
    // keeping late, the stream may end before that pass comes, and the kept block is still whole.
    if (! state.hasKeptBlocks())
        return finish (state, statusFailed, MeasurementOutcome::streamStopped, "the stream ended before a block was kept");

    // The analysis takes a while; a thread that is leaving has no use for it.
    if (asksToExit (state))
        return finish (state, statusFailed, MeasurementOutcome::stopped, "stopped on request");

    if (! analyseBlock (state.dft, state.analysisInput, state.raw, state.smoothed))
        return finish (state, statusFailed, MeasurementOutcome::silence, "the captured block gave no response (silence?)");

    if (result == nullptr)
        return finish (state, statusOk, MeasurementOutcome::ok, nullptr);

    for (int32_t i = 0; i < state.blockLength; ++i)
        result[i] = state.smoothed.point (i).magnitude;

    const float hzPerIndex = static_cast<float> (state.sampleRate) / static_cast<float> (state.blockLength);
    const EqSettings notch = recommendNotch (result, state.blockLength, hzPerIndex);
    firstOutput = notch.frequencyHz;
    secondOutput = notch.qSetting;
    thirdOutput = notch.depthSetting;
    floatOutput = 0.0f;

    return finish (state, statusOk, MeasurementOutcome::ok, nullptr);
}
