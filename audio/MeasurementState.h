#pragma once

#include "AudioRoute.h"
#include "CallbackContext.h"
#include "InputLevelMeter.h"
#include "MeasurementContract.h"
#include "MeasurementOutcome.h"
#include "MicrophoneCorrection.h"
#include "NoiseSource.h"
#include "ResponseEstimator.h"
#include "SpectrumArray.h"

#include <pa_linux_alsa.h>
#include <portaudio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// The working structure of one measurement run, owned by the thread that calls runMeasurement.
// Destroying it releases everything the run allocated and terminates PortAudio.
class MeasurementState final
{
public:
    MeasurementState();
    ~MeasurementState();

    MeasurementState (const MeasurementState&) = delete;
    MeasurementState& operator= (const MeasurementState&) = delete;

    // Takes PortAudioSession's claim for this run, waiting for a run of another state to end;
    // false if shouldExit asks to give up first, or the audio was given up.
    bool claimAudio();
    bool hasAudioClaim() const { return audioClaim.owns_lock(); }

    // The capture buffer (captureBlocks whole blocks) and the played block: allocated per run,
    // released as the run returns.
    bool allocateCaptureBuffers (int32_t captureBlocks);
    void releaseCaptureBuffers();

    // Stops and closes the streams that are still open, without waiting for queued output.
    void abandonStreams();

    // Aborts the streams that are still active from outside, on a thread of its own, and waits for
    // that up to limitMs: true once they are stopped (they stay open). PortAudio cancels a stream's
    // audio thread only while it waits for the device, so the abort returns at once while the
    // sound server answers; when it does not, the abort waits with it, and false says so.
    bool abortStreamsWithin (int32_t limitMs);

    // For streams whose sound server went away: PortAudio's audio threads can then wait forever
    // inside the server's client library, and closing a stream or terminating PortAudio would
    // wait with them. The streams are left open, what their callbacks may still touch is kept
    // alive for the rest of the process, and no later run touches PortAudio again.
    void giveUpStreams();

    // The capture callback also feeds this meter, if any (e.g. the level test's).
    void setInputMeter (std::shared_ptr<InputLevelMeter> meter);

    int32_t channelSelector = 0;
    int32_t sampleRate = MeasurementContract::sampleRate;
    int32_t durationMs = 0;
    int32_t blockLength = MeasurementContract::blockLength;
private:
    // What the audio callbacks may touch; on the heap so that it can outlive a given-up run.
    struct CallbackSide
    {
        CallbackContext context;
        NoiseSource noise;
        std::shared_ptr<InputLevelMeter> meter;
    };

    std::unique_ptr<CallbackSide> callbackSide = std::make_unique<CallbackSide>();

public:
    float* captureBuffer = nullptr;  // every input frame of the run, up to its capacity
    float* playedBlock = nullptr;    // blockLength samples: the noise played over and over
    int32_t capturesWanted = 1;        // how many blocks of the noise the analysis may average
    int32_t capturePass = 0;         // whole input blocks looked at so far
    int32_t capturesSaved = 0;       // blocks of this run's noise saved for the analysis
    int32_t noiseFrames = 0;         // how long the noise plays
    CallbackContext& callbackContext = callbackSide->context;
    bool dataForFFT = false;
    PaStreamParameters outputParameters {};
    PaStreamParameters inputParameters {};
    PaStream* outputStream = nullptr;
    PaStream* inputStream = nullptr;

    // Where the streams go; the system's defaults unless the caller chose otherwise.
    AudioRoute outputRoute;
    AudioRoute inputRoute;

    // The ALSA device names and PortAudio's view of them, for routes through a sound server.
    std::string outputDeviceString;
    std::string inputDeviceString;
    PaAlsaStreamInfo outputRouteInfo {};
    PaAlsaStreamInfo inputRouteInfo {};
    NoiseSource& noiseSource = callbackSide->noise;
    ResponseEstimator estimator;
    SpectrumArray gains;     // the room's gain per bin, from the steady blocks
    SpectrumArray smoothed;  // the response

    // The measurement microphone's own response, taken out of the gains before the analysis.
    MicrophoneCorrection microphoneCorrection;

    // Where in the recording this run's noise began to arrive, -1 while unknown; and how long
    // after the output started, in milliseconds (the sound path's delay, to some tens of
    // milliseconds), -1 while unknown.
    int64_t arrivalFrame = -1;
    double pathDelayMs = -1.0;

    // Asked every poll: true ends the run early (the owning thread was asked to exit).
    std::function<bool()> shouldExit;

    // Why the last run failed, for the log; a static text, null after a run that succeeded.
    const char* errorText = nullptr;
    MeasurementOutcome outcome = MeasurementOutcome::none;

    // The stream's error when it failed after enough steady blocks were saved to measure from.
    const char* streamErrorAfterSteadyBlocks = nullptr;

    // Blocks of the noise left aside: saved ones that did not agree with the others (the room
    // ringing up, a glitch), and blocks amid the saved ones that were not saved (a glitch the
    // audio system reported, a run of digital silence, the noise's loop jumping).
    int32_t glitchedBuffersSkipped = 0;
    int32_t unsteadyBlocksPending = 0;

    // Whether any whole block held a sample that was not exactly zero.
    bool heardAnything = false;

    // Set when the microphone was found silent before any noise played: nothing to retry.
    bool silentBeforeNoise = false;

    // A level test whose microphone could not be opened still plays; why it has no meter.
    const char* meterError = nullptr;

    // The largest magnitude of a microphone sample in the saved blocks.
    float savedPeak = 0.0f;

    // A converter stores at most its largest code: a 16-bit one tops out at 32767 / 32768.
    static constexpr float fullScale = 0.9999f;
    bool captureClipped() const { return savedPeak >= fullScale; }

    // Fewer steady blocks than this make no measurement.
    static constexpr int32_t minimumSteadyBlocks = 3;
    bool hasSteadyBlocks() const { return estimator.averaged() >= minimumSteadyBlocks; }

    bool portAudioInitialised = false;

private:
    std::unique_lock<std::mutex> audioClaim;
};
