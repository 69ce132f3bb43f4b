#include "LevelTestingThread.h"

#include "MeasurementContract.h"
#include "MeasurementRecord.h"
#include "RunMeasurement.h"
#include "SoundDeviceList.h"
#include "SoundDeviceSettings.h"

#include <cstdlib>

namespace
{
    constexpr int32_t levelTestDurationMs = 2500;
    constexpr int32_t bothSpeakers = 3;
    constexpr int32_t settleBeforePlayingMs = 100;
    constexpr int32_t waitUntilEnded = -1; // the test leaves within a poll once asked to exit
}

LevelTestingThread::LevelTestingThread (AudioRoute input, AudioRoute output, std::shared_ptr<InputLevelMeter> inputMeter)
    : juce::Thread ("LevelTestingThread"),
      inputRoute (std::move (input)),
      outputRoute (std::move (output)),
      meter (std::move (inputMeter))
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
        state.inputRoute = inputRoute;
        state.outputRoute = outputRoute;
        juce::Logger::writeToLog ("Constructed leveltest, about to blast pink noise.");
        sendActionMessage (MeasurementContract::measuringLevel);

        const auto connected = SoundDeviceList::checkConnected (inputRoute, outputRoute, SoundDeviceSettings::serverTimeoutMs);

        // A microphone that is not there leaves the meter dark; the noise plays all the same.
        if (meter != nullptr && connected == MeasurementOutcome::ok)
            state.setInputMeter (meter);

        if (connected == MeasurementOutcome::outputMissing)
        {
            outcome = connected;
            juce::Logger::writeToLog ("Level test error: the chosen output is not connected");
        }
        else
        {
            sleep (settleBeforePlayingMs);

            // Nothing is captured, so the result buffer is never written; it only has to exist.
            auto* buffer = static_cast<float*> (std::malloc (sizeof (float) * MeasurementRecord::numValues));
            int32_t unusedFirst = 0, unusedSecond = 0, unusedThird = 0;
            float unusedFloat = 0.0f;
            const auto status = runMeasurement (levelTestDurationMs, state, bothSpeakers, buffer,
                                                unusedFirst, unusedSecond, unusedThird, unusedFloat, true);
            std::free (buffer);
            outcome = state.outcome;

            if (status != statusOk && state.errorText != nullptr)
                juce::Logger::writeToLog (juce::String ("Level test error: ") + state.errorText);

            if (meter != nullptr && (state.meterError != nullptr || connected != MeasurementOutcome::ok))
                juce::Logger::writeToLog (juce::String ("Level test: no microphone level (")
                                          + (state.meterError != nullptr ? state.meterError : "the chosen microphone is not connected") + ")");
        }
    }
    catch (...)
    {
        juce::Logger::writeToLog ("Caught an exception running the level test!");
        outcome = MeasurementOutcome::streamStopped;
    }

    finishedRun = true;
    sendActionMessage (MeasurementContract::finishMeasure);
}
