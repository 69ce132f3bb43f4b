#pragma once

#include "AudioRoute.h"
#include "MeasurementContract.h"
#include "MeasurementOutcome.h"
#include "MeasurementRecord.h"
#include "MicrophoneCorrection.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <cstdint>
#include <vector>

// One speaker measurement: announces itself, measures, stores a good result into the engine's
// record under its lock, and ends with "finishMeasure".
class AudioTestingThread final : public juce::Thread,
                                 public juce::ActionBroadcaster
{
public:
    // mode 0 left, 1 right, 2 both speakers; any other mode plays nothing. The routes say which
    // microphone and which output; the system's defaults unless given. The correction takes the
    // microphone's own response out of the curve.
    AudioTestingThread (MeasurementRecord& record, int32_t mode, AudioRoute input = {}, AudioRoute output = {},
                        MicrophoneCorrection correction = {});
    ~AudioTestingThread() override;

    void run() override;

    // The status of the last run (a MeasurementStatus); statusFailed until a run has ended.
    int32_t getStatus() const { return status.load(); }

    // Why the last run ended as it did, and whether a block it averaged reached full scale.
    MeasurementOutcome getOutcome() const { return outcome.load(); }
    bool wasCaptureClipped() const { return captureClipped.load(); }

    // The room's gain |H| at the analysis bins (0 .. 8191) that the last good run found, before
    // the smoothing: what several microphone positions are averaged from. Empty otherwise; read
    // it only once the thread has ended.
    const std::vector<float>& getGains() const { return gains; }

    // True once run has sent "finishMeasure", i.e. the thread is about to end by itself.
    bool hasFinishedRun() const { return finishedRun.load(); }

private:
    juce::CriticalSection recordLock;
    std::atomic<int32_t> status;
    Speakers speakers;
    MeasurementRecord* record;
    AudioRoute inputRoute;
    AudioRoute outputRoute;
    MicrophoneCorrection microphoneCorrection;
    std::atomic<bool> finishedRun { false };
    std::atomic<MeasurementOutcome> outcome { MeasurementOutcome::none };
    std::atomic<bool> captureClipped { false };
    std::vector<float> gains;

    JUCE_DECLARE_NON_COPYABLE (AudioTestingThread)
};
