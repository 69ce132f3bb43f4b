#include "LevelTestingThread.h"

#include "MeasurementRecord.h"
#include "RunMeasurement.h"

#include <cstdlib>

namespace
{
    constexpr int32_t levelTestDurationMs = 2500;
    constexpr int32_t bothSpeakers = 3;
    constexpr int32_t settleBeforePlayingMs = 100;
    constexpr int32_t waitUntilEnded = -1; // the test leaves within a poll once asked to exit
}

LevelTestingThread::LevelTestingThread()
    : juce::Thread ("LevelTestingThread")
{
    juce::Logger::writeToLog ("LevelTestingThread created...");
}

LevelTestingThread::~LevelTestingThread()
{
    if (isThreadRunning())
        stopThread (waitUntilEnded);

    juce::Logger::writeToLog ("LevelTestingThread destroyed...");
}

void LevelTestingThread::run()
{
    juce::Logger::writeToLog ("LevelTestingThread running...");

    try
    {
        MeasurementState state;
        state.shouldExit = [this] { return threadShouldExit(); };
        juce::Logger::writeToLog ("Constructed leveltest, about to blast pink noise.");
        sendActionMessage ("MEASURING OUTPUT LEVEL...");

        sleep (settleBeforePlayingMs);

        // Nothing is captured, so the result buffer is never written; it only has to exist.
        auto* buffer = static_cast<float*> (std::malloc (sizeof (float) * MeasurementRecord::numValues));
        int32_t unusedFirst = 0, unusedSecond = 0, unusedThird = 0;
        float unusedFloat = 0.0f;
        const auto status = runMeasurement (levelTestDurationMs, state, bothSpeakers, buffer,
                                            unusedFirst, unusedSecond, unusedThird, unusedFloat, true);
        std::free (buffer);

        if (status != statusOk && state.errorText != nullptr)
            juce::Logger::writeToLog (juce::String ("Level test error: ") + state.errorText);
    }
    catch (...)
    {
        juce::Logger::writeToLog ("Caught an exception running the level test!");
    }

    finishedRun = true;
    sendActionMessage ("finishMeasure");
}
