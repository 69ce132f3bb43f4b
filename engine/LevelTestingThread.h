#pragma once

#include "AudioRoute.h"
#include "InputLevelMeter.h"
#include "MeasurementOutcome.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>

// The output level test: noise on both speakers for about 2.6 s, nothing captured but the
// microphone's level for the meter, then "finishMeasure".
class LevelTestingThread final : public juce::Thread,
                                 public juce::ActionBroadcaster
{
public:
    // The routes say which microphone feeds the meter and which output plays; the system's
    // defaults unless given. Without a meter the microphone is not opened.
    explicit LevelTestingThread (AudioRoute input = {}, AudioRoute output = {}, std::shared_ptr<InputLevelMeter> meter = {});
    ~LevelTestingThread() override;

    void run() override;

    // True once run has sent "finishMeasure".
    bool hasFinishedRun() const { return finishedRun.load(); }

    // Why the last pass ended as it did; none until one has.
    MeasurementOutcome getOutcome() const { return outcome.load(); }

private:
    AudioRoute inputRoute;
    AudioRoute outputRoute;
    std::shared_ptr<InputLevelMeter> meter;
    std::atomic<bool> finishedRun { false };
    std::atomic<MeasurementOutcome> outcome { MeasurementOutcome::none };

    JUCE_DECLARE_NON_COPYABLE (LevelTestingThread)
};
