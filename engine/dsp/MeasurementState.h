#pragma once

#include "CallbackContext.h"
#include "DftAnalyzer.h"
#include "MeasurementOutcome.h"
#include "NoiseSource.h"
#include "SpectrumArray.h"
#include "StereoFrame.h"

#include <portaudio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// The working structure of one measurement run, owned by the thread that calls runMeasurement.
// Destroying it releases everything the run allocated and terminates PortAudio.
class MeasurementState final
{
public:
    MeasurementState();
    ~MeasurementState();

    MeasurementState (const MeasurementState&) = delete;
    MeasurementState& operator= (const MeasurementState&) = delete;

    // PortAudio is process-wide: one run at a time may use it, from Pa_Initialize to the last
    // Pa_Terminate. Waits for a run of another state to end; false if shouldExit asks to give up first.
    bool claimAudio();
    bool hasAudioClaim() const { return audioClaim.owns_lock(); }

    // The capture buffer and analysis input: allocated per run, released as the run returns.
    bool allocateCaptureBuffers();
    void releaseCaptureBuffers();

    // Stops and closes a stream that is still open, without waiting for its queued output.
    void abandonStream();

    // For a stream whose sound server went away: PortAudio's audio thread can then wait forever
    // inside the server's client library, and closing the stream or terminating PortAudio would
    // wait with it. The stream is left open, what its callback may still touch is kept alive for
    // the rest of the process, and no later run touches PortAudio again.
    void giveUpStream();

    // True once a stream had to be given up: the audio system cannot be used until a restart.
    static bool isAudioGivenUp();

    int32_t channelSelector = 0;
    int32_t sampleRate = 44100;
    int32_t durationMs = 0;
    int32_t blockLength = 16384;
private:
    // What the audio callback may touch; on the heap so that it can outlive a given-up run.
    struct CallbackSide
    {
        CallbackContext context;
        NoiseSource noise;
    };

    std::unique_ptr<CallbackSide> callbackSide = std::make_unique<CallbackSide>();

public:
    StereoFrame* captureBuffer = nullptr; // 2 * blockLength frames
    float* analysisInput = nullptr;       // capturesKept * blockLength samples
    int32_t capturesKept = 1;
    int32_t capturePass = 0;
    // Passes up to this one are never kept: sampleRate / blockLength (a second of warm-up), or more
    // when the output's own buffering delays the noise longer than that (see runMeasurement).
    int32_t lastWarmUpPass = 44100 / 16384;
    int32_t capturesSaved = 0;
    CallbackContext& callbackContext = callbackSide->context;
    bool dataForFFT = false;
    PaStreamParameters outputParameters {};
    PaStreamParameters inputParameters {};
    PaStream* stream = nullptr;
    NoiseSource& noiseSource = callbackSide->noise;
    DftAnalyzer dft;
    SpectrumArray raw;
    SpectrumArray smoothed;

    // Asked every poll: true ends the run early (the owning thread was asked to exit).
    std::function<bool()> shouldExit;

    // Why the last run failed, for the log; a static text, null after a run that succeeded.
    const char* errorText = nullptr;
    MeasurementOutcome outcome = MeasurementOutcome::none;

    // Buffers past the warm-up left aside because the audio system reported a glitch in them or
    // they held a run of digital silence amid the noise.
    int32_t glitchedBuffersSkipped = 0;

    // The largest magnitude of a microphone sample in the kept block(s).
    float keptPeak = 0.0f;

    // A converter stores at most its largest code: a 16-bit one tops out at 32767 / 32768.
    static constexpr float fullScale = 0.9999f;
    bool captureClipped() const { return keptPeak >= fullScale; }

    // The blocks to analyse are all kept; dataForFFT follows one pass later, if one comes.
    bool hasKeptBlocks() const { return capturesSaved >= capturesKept; }

    bool portAudioInitialised = false;

private:
    std::unique_lock<std::mutex> audioClaim;
};
