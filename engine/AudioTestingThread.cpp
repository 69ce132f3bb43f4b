#include "AudioTestingThread.h"

#include "CurveText.h"
#include "RunMeasurement.h"
#include "SoundDeviceList.h"
#include "SoundDeviceSettings.h"

#include <cstdlib>

namespace
{
    constexpr int32_t measurementDurationMs = 5000;
    constexpr int32_t settleBeforeMeasuringMs = 100;
    constexpr int32_t waitUntilEnded = -1; // the measurement leaves within a poll once asked to exit
}

AudioTestingThread::AudioTestingThread (MeasurementRecord& recordToFill, int32_t measurementMode, AudioRoute input, AudioRoute output,
                                        MicrophoneCorrection correction)
    : juce::Thread ("TestingThread"),
      status (statusFailed),
      speakers (MeasurementContract::speakersForMode (measurementMode)),
      record (&recordToFill),
      inputRoute (std::move (input)),
      outputRoute (std::move (output)),
      microphoneCorrection (std::move (correction))
{
    juce::Logger::writeToLog ("AudioTestingThread created...");
}

AudioTestingThread::~AudioTestingThread()
{
    if (isThreadRunning())
        stopThread (waitUntilEnded);

    juce::Logger::writeToLog ("AudioTestingThread destroyed...");
}

void AudioTestingThread::run()
{
    juce::Logger::writeToLog ("AudioTestingThread running...");

    status = statusFailed;
    outcome = MeasurementOutcome::none;
    captureClipped = false;
    gains.clear();
    std::vector<float> measuredGains;
    int32_t frequencyHz = 0;
    int32_t qSetting = 0;
    int32_t depthSetting = 0;
    float unusedOutput = 0.0f;
    auto* workBuffer = static_cast<float*> (std::malloc (sizeof (float) * MeasurementRecord::numValues));

    if (threadShouldExit())
    {
        outcome = MeasurementOutcome::stopped;
        std::free (workBuffer);
        return;
    }

    juce::Logger::writeToLog ("Beginning measurement.");

    const juce::String announcement (MeasurementContract::announcementOf (speakers));

    if (announcement.isNotEmpty())
        sendActionMessage (announcement);

    sleep (settleBeforeMeasuringMs);

    const char* errorText = "out of memory";
    const auto connected = SoundDeviceList::checkConnected (inputRoute, outputRoute, SoundDeviceSettings::serverTimeoutMs);

    if (workBuffer == nullptr)
    {
        status = statusOutOfMemory;
        outcome = MeasurementOutcome::outOfMemory;
    }
    else if (connected != MeasurementOutcome::ok)
    {
        status = statusAudioError;
        outcome = connected;
        errorText = connected == MeasurementOutcome::inputMissing ? "the chosen microphone is not connected"
                                                                  : "the chosen output is not connected";
    }
    else
    {
        try
        {
            // A run that kept too few steady blocks may have failed for a passing reason (the
            // stream, a noise in the room, a sound server that went away and took the input with
            // it): it is made once more. A device that cannot be opened is not retried.
            for (int attempt = 0; attempt < 2; ++attempt)
            {
                MeasurementState state;
                state.shouldExit = [this] { return threadShouldExit(); };
                state.inputRoute = inputRoute;
                state.outputRoute = outputRoute;
                state.microphoneCorrection = microphoneCorrection;
                status = runMeasurement (measurementDurationMs, state, MeasurementContract::channelSelectorOf (speakers), workBuffer,
                                         frequencyHz, qSetting, depthSetting, unusedOutput, false);
                errorText = state.errorText;
                outcome = state.outcome;

                if (state.pathDelayMs >= 0.0)
                    juce::Logger::writeToLog (MeasurementContract::pathDelayLine + juce::String (juce::roundToInt (state.pathDelayMs)) + " ms");

                if (state.glitchedBuffersSkipped > 0)
                    juce::Logger::writeToLog ("Left aside " + juce::String (state.glitchedBuffersSkipped)
                                              + " captured buffer(s) that did not agree with the others (the room ringing up, a gap or a glitch).");

                if (state.streamErrorAfterSteadyBlocks != nullptr)
                    juce::Logger::writeToLog (juce::String ("The audio stream failed (") + state.streamErrorAfterSteadyBlocks
                                              + ") after " + juce::String (state.estimator.averaged())
                                              + " steady block(s): the curve is made from them.");
                else if (status == statusOk)
                    juce::Logger::writeToLog ("Averaged " + juce::String (state.estimator.averaged()) + " steady block(s) of the looped noise.");

                captureClipped = status == statusOk && state.captureClipped();

                if (status == statusOk)
                {
                    measuredGains.resize (static_cast<size_t> (state.blockLength / 2));

                    for (int32_t i = 0; i < state.blockLength / 2; ++i)
                        measuredGains[static_cast<size_t> (i)] = state.gains.point (i).magnitude;
                }

                // A microphone that was silent before the noise started is silent, not passing.
                const bool passing = outcome == MeasurementOutcome::streamStopped || outcome == MeasurementOutcome::unsteady
                                     || (outcome == MeasurementOutcome::silence && ! state.silentBeforeNoise);

                if (attempt > 0 || ! passing || threadShouldExit())
                    break;

                juce::Logger::writeToLog (juce::String ("Too few steady blocks of the noise were kept (") + errorText
                                          + "): measuring once more.");
            }
        }
        catch (...)
        {
            juce::Logger::writeToLog ("Caught an exception running the test!");
            status = statusFailed;
            outcome = MeasurementOutcome::streamStopped;
            errorText = nullptr;
        }
    }

    juce::Logger::writeToLog ("measurement completed.");

    if (status != statusOk && errorText != nullptr)
        juce::Logger::writeToLog (juce::String (MeasurementContract::errorLine) + errorText);

    if (threadShouldExit())
    {
        std::free (workBuffer);
        return;
    }

    if (status == statusOk)
    {
        juce::Logger::writeToLog ("Setting settings with test results.");
        {
            const juce::ScopedLock lock (recordLock);
            record->setContents (frequencyHz, qSetting, depthSetting, workBuffer);
            gains = std::move (measuredGains);
        }

        juce::Logger::writeToLog ("Recommended notch: " + juce::String (CurveText::describeNotch ({ qSetting, frequencyHz, depthSetting })));

        if (captureClipped)
            juce::Logger::writeToLog (juce::String (MeasurementContract::inputClippedLine)
                                      + "the microphone reached full scale; turn its gain down and measure again.");
    }

    juce::Logger::writeToLog ("Freeing buffers.");
    std::free (workBuffer);

    juce::Logger::writeToLog ("Finishing test.");
    finishedRun = true;
    sendActionMessage (MeasurementContract::finishMeasure);
}
