#pragma once

#include <juce_events/juce_events.h>

#include <atomic>

// The output level test: noise on both speakers for about 2.6 s, nothing captured, then "finishMeasure".
class LevelTestingThread final : public juce::Thread,
                                 public juce::ActionBroadcaster
{
public:
    LevelTestingThread();
    ~LevelTestingThread() override;

    void run() override;

    // True once run has sent "finishMeasure".
    bool hasFinishedRun() const { return finishedRun.load(); }

private:
    std::atomic<bool> finishedRun { false };

    JUCE_DECLARE_NON_COPYABLE (LevelTestingThread)
};
