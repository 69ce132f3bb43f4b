#include "ComponentSearch.h"
#include "LogCollector.h"
#include "MessagePump.h"
#include "PrintedLines.h"
#include "SonavelAudioEngine.h"
#include "SonavelStateMachine.h"
#include "StepSix.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

#include <iostream>

// Giving up the audio system lasts for the rest of the process, so this test has a binary of its own.
TEST (AStalledSoundServer, IsGivenUpWithTheRestartSentenceAndLaterMeasurementsRefuseAtOnce)
{
    juce::Logger::setCurrentLogger (&LogCollector::get());
    VirtualRoom room;
    ASSERT_TRUE (room.isRunning());

    SonavelStateMachine wizard;
    while (wizard.getCurrentState() < 6)
        wizard.requestStateChange (requestNext);

    auto& stepSix = wizard.getStepSix();
    auto& measureButton = *findButton (stepSix, "Measure");
    const auto measure = [&] (const std::function<void()>& onceStreaming)
    {
        LogCollector::get().clear();
        const PrintedLines printed;
        measureButton.triggerClick();

        if (onceStreaming != nullptr)
        {
            EXPECT_TRUE (pumpMessagesUntil ([&] { return printed.countStartingWith ("Full buffer ready on input") > 0; }, 60000));
            onceStreaming();
        }

        EXPECT_TRUE (pumpMessagesUntil ([] { return LogCollector::get().lines().contains ("Engine: stopping test thread."); }, 120000));
        EXPECT_TRUE (pumpMessagesUntil ([&] { return measureButton.isEnabled(); }));
        return printed.text();
    };

    // The server stops answering in the warm-up: the stream waits for it, then is given up.
    const auto frozenAt = juce::Time::getMillisecondCounterHiRes();
    measure ([&] { room.freeze(); });
    std::cerr << "given up " << (juce::Time::getMillisecondCounterHiRes() - frozenAt) / 1000.0 << " s after the server stopped\n";

    const auto sentence = MeasurementNotes::failureSentence (MeasurementOutcome::audioGivenUp);
    EXPECT_EQ (SonavelAudioEngine::getInstance()->getLastOutcome(), MeasurementOutcome::audioGivenUp)
        << LogCollector::get().lines().joinIntoString ("\n");
    EXPECT_TRUE (LogCollector::get().lines().contains ("Measurement error: the audio stream stalled: its sound server stopped answering"));
    EXPECT_TRUE (sentence.contains ("restart"));
    EXPECT_EQ (stepSix.getGraph().getNotice(), sentence);
    EXPECT_FALSE (stepSix.isLastMeasurementValid());

    // The server answers again, but the program keeps away from it until it is restarted.
    room.thaw();
    EXPECT_EQ (measure (nullptr), "") << "no stream was opened";
    EXPECT_EQ (SonavelAudioEngine::getInstance()->getLastOutcome(), MeasurementOutcome::audioGivenUp);
    EXPECT_EQ (stepSix.getGraph().getNotice(), sentence);
    EXPECT_TRUE (LogCollector::get().lines().joinIntoString ("\n").contains ("restart the program to measure again"));

    SonavelAudioEngine::deleteInstance();
    juce::Logger::setCurrentLogger (nullptr);
}
