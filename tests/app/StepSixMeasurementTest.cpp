#include "ComponentSearch.h"
#include "EQCalculatorPopup.h"
#include "LogCollector.h"
#include "MessagePump.h"
#include "PeakingCurve.h"
#include "SonavelAudioEngine.h"
#include "SonavelStateMachine.h"
#include "StepFive.h"
#include "StepSix.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <vector>

namespace
{
    bool isBlue (juce::Colour c) { return c.getAlpha() > 150 && c.getBlue() > 150 && c.getRed() < 80 && c.getGreen() < 80; }
    bool isCrimson (juce::Colour c) { return c.getAlpha() > 150 && c.getRed() > 150 && c.getGreen() < 80 && c.getBlue() < 140; }

    juce::Image render (GraphView& graph)
    {
        juce::Image image (juce::Image::ARGB, graph.getWidth(), graph.getHeight(), true);
        juce::Graphics g (image);
        graph.paint (g);
        return image;
    }

    // The column where a trace of the colour reaches highest, i.e. its loudest frequency; -1 if none.
    int peakColumn (const juce::Image& image, bool (*matches) (juce::Colour))
    {
        int bestX = -1, bestY = image.getHeight();

        for (int x = 0; x < image.getWidth(); ++x)
            for (int y = 0; y < bestY; ++y)
                if (matches (image.getPixelAt (x, y)))
                {
                    bestX = x;
                    bestY = y;
                    break;
                }

        return bestX;
    }

    int countPixels (const juce::Image& image, bool (*matches) (juce::Colour))
    {
        int n = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                n += matches (image.getPixelAt (x, y)) ? 1 : 0;
        return n;
    }

    // Step six in a virtual room, measured through its buttons as a person does.
    class StepSixInARoom : public testing::Test
    {
    protected:
        StepSixInARoom() { juce::Logger::setCurrentLogger (&LogCollector::get()); }

        ~StepSixInARoom() override
        {
            SonavelAudioEngine::deleteInstance();
            juce::Logger::setCurrentLogger (nullptr);
        }

        void walkToStepSix()
        {
            while (wizard.getCurrentState() < 6)
                wizard.requestStateChange (requestNext);
        }

        void measure()
        {
            auto& measureButton = *findButton (stepSix(), "Measure");
            LogCollector::get().clear();
            measureButton.triggerClick();
            ASSERT_TRUE (pumpMessagesUntil ([&] { return ! measureButton.isEnabled(); }));
            ASSERT_TRUE (pumpMessagesUntil ([&] { return measureButton.isEnabled(); }, 60000));
        }

        // The line that follows the given one in the log, or empty.
        static juce::String logLineAfter (const juce::String& line)
        {
            const auto lines = LogCollector::get().lines();
            const auto index = lines.indexOf (line);
            return index >= 0 && index + 1 < lines.size() ? lines[index + 1] : juce::String();
        }

        StepSix& stepSix() { return wizard.getStepSix(); }
        GraphView& graph() { return stepSix().getGraph(); }

        SonavelStateMachine wizard;
    };
}

TEST_F (StepSixInARoom, AMeasurementDrawsTheModeAndSuggestsTheNotchTheLogNamesThenHoldAndAFailureKeepOnlyTheHeldCurve)
{
    VirtualRoom room;
    ASSERT_TRUE (room.isRunning());
    walkToStepSix();
    measure();
    ASSERT_TRUE (stepSix().isLastMeasurementValid());

    auto image = render (graph());
    const int peak = peakColumn (image, isBlue);
    ASSERT_GE (peak, 0) << "a curve is drawn";
    EXPECT_NEAR (graph().xToFrequency (peak), VirtualRoom::defaultModeHz, VirtualRoom::defaultModeHz * 0.05f);
    EXPECT_EQ (countPixels (image, isCrimson), 0);
    EXPECT_TRUE (graph().getNotice().isEmpty());

    // The log names the recommendation right after storing the result; step six says the same.
    const auto logged = logLineAfter ("Setting settings with test results.");
    const auto* record = SonavelAudioEngine::getInstance()->getResults();
    ASSERT_NE (record, nullptr);
    EXPECT_NEAR (record->frequencyHz, VirtualRoom::defaultModeHz, VirtualRoom::defaultModeHz * 0.05f);
    EXPECT_EQ (logged, "Recommended notch: FREQ " + juce::String (record->frequencyHz) + " Hz, Q "
                           + juce::String (record->qSetting) + ", DEPTH " + juce::String (record->depthSetting));
    EXPECT_EQ (stepSix().getNotes().getSuggestionText(),
               juce::String::fromUTF8 ("Suggested rear-panel notch: FREQ ") + juce::String (record->frequencyHz)
                   + juce::String::fromUTF8 (" Hz \xc2\xb7 Q ") + juce::String (record->qSetting)
                   + juce::String::fromUTF8 (" \xc2\xb7 DEPTH ") + juce::String (record->depthSetting));
    EXPECT_TRUE (stepSix().getNotes().getWarningText().isEmpty()) << "the default room stays clear of full scale";

    // The calculator offers the suggestion and shows what it would do to this room.
    {
        EQCalculatorPopup calculator;
        EXPECT_EQ (calculator.getQSpinner().getValue(), 1.0) << "it still opens on the first setting";
        ASSERT_TRUE (calculator.getSuggestionButton().isVisible());
        calculator.getSuggestionButton().triggerClick();
        pumpMessages (20);
        EXPECT_EQ (calculator.getQSpinner().getValue(), record->qSetting);
        EXPECT_EQ (calculator.getFrequencySpinner().getValue(), record->frequencyHz);
        EXPECT_EQ (calculator.getDepthSpinner().getValue(), record->depthSetting);
        EXPECT_EQ (calculator.getSettingsWidget().getSettings(),
                   (EqSettings { record->qSetting, record->frequencyHz, record->depthSetting }));

        // The gold trace is the measurement plus the notch, read at the measurement's own bins.
        std::vector<float> notch (peakingCurveSize);
        float step = 0.0f;
        computePeakingCurve (record->qSetting, notch.data(), step, record->frequencyHz, record->depthSetting);
        const auto& predicted = calculator.getGraph().getPredictedResponse();
        const auto& axis = calculator.getGraph().getPredictedFrequencies();

        for (float hz : { 30.0f, 50.0f, (float) record->frequencyHz, 100.0f, 200.0f, 290.0f })
        {
            const int bin = juce::roundToInt (hz / 2.691650390625f);
            ASSERT_LT (bin, predicted.size());
            const auto position = axis[bin] / step;
            const auto below = (int) position;
            const auto notchValue = notch[(size_t) below] + (position - (float) below) * (notch[(size_t) below + 1] - notch[(size_t) below]);
            EXPECT_NEAR (predicted[bin], record->valueAt (bin) + notchValue, 1e-5f) << hz << " Hz";
        }
    }

    findButton (stepSix(), "Hold")->triggerClick();
    pumpMessages (20);
    image = render (graph());
    EXPECT_EQ (countPixels (image, isBlue), 0);
    EXPECT_EQ (peakColumn (image, isCrimson), peak) << "the held curve is the measured one, now crimson";

    {
        VirtualRoom::NoServer noServer;
        measure();
    }

    EXPECT_FALSE (stepSix().isLastMeasurementValid());
    image = render (graph());
    EXPECT_EQ (countPixels (image, isBlue), 0) << "a failed measurement shows no current curve";
    EXPECT_EQ (peakColumn (image, isCrimson), peak) << "but keeps the held one";
    EXPECT_EQ (graph().getNotice(), MeasurementNotes::failureSentence (MeasurementOutcome::noAudioDevice));
    EXPECT_TRUE (stepSix().getNotes().getSuggestionText().isEmpty()) << "a failure clears the suggestion";

    EQCalculatorPopup calculator;
    EXPECT_FALSE (calculator.getSuggestionButton().isVisible()) << "the last measurement failed";
    EXPECT_FALSE (calculator.getGraph().hasPredictedResponse());
}

TEST_F (StepSixInARoom, AFlatRoomNeedsNoNotch)
{
    VirtualRoom room ("--flat");
    ASSERT_TRUE (room.isRunning());
    walkToStepSix();
    measure();
    ASSERT_TRUE (stepSix().isLastMeasurementValid());

    EXPECT_EQ (logLineAfter ("Setting settings with test results."), "Recommended notch: none");
    EXPECT_EQ (stepSix().getNotes().getSuggestionText(), "No rear-panel notch needed: the bass is even enough without one.");

    EQCalculatorPopup calculator;
    EXPECT_FALSE (calculator.getSuggestionButton().isVisible()) << "nothing to dial";
    EXPECT_TRUE (calculator.getGraph().hasPredictedResponse()) << "but the room's prediction is still shown";
}

TEST_F (StepSixInARoom, AClippedCaptureStillDrawsItsCurveAndWarnsToTurnTheGainDown)
{
    VirtualRoom room ("--clip");
    ASSERT_TRUE (room.isRunning());
    walkToStepSix();
    measure();
    ASSERT_TRUE (stepSix().isLastMeasurementValid());

    EXPECT_GE (peakColumn (render (graph()), isBlue), 0);
    EXPECT_TRUE (stepSix().getNotes().getWarningText().startsWith ("Input clipped:"));
    EXPECT_TRUE (stepSix().getNotes().getSuggestionText().isNotEmpty());
    EXPECT_TRUE (LogCollector::get().lines().contains (
        "Input clipped: the microphone reached full scale; turn its gain down and measure again."));
}

TEST_F (StepSixInARoom, AMicrophoneThatRecordsSilenceIsNamedAsTheCause)
{
    VirtualRoom room ("--mute");
    ASSERT_TRUE (room.isRunning());
    walkToStepSix();
    measure();

    EXPECT_FALSE (stepSix().isLastMeasurementValid());
    EXPECT_EQ (countPixels (render (graph()), isBlue), 0);
    EXPECT_EQ (graph().getNotice(), MeasurementNotes::failureSentence (MeasurementOutcome::silence,
                                                                       SonavelAudioEngine::getInstance()->getLastMicrophone()));
    EXPECT_TRUE (stepSix().getNotes().getSuggestionText().isEmpty());

    // The next measurement starts afresh: no old sentence over its curve.
    findButton (stepSix(), "Measure")->triggerClick();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return graph().getNotice().isEmpty(); }));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return findButton (stepSix(), "Measure")->isEnabled(); }, 30000));
}

TEST_F (StepSixInARoom, TheMicrophoneChosenOnStepFiveIsStepSixsAndTheSilentDefaultIsNamedWhenItFails)
{
    VirtualRoom room ("--webcam-mic");
    ASSERT_TRUE (room.isRunning());

    while (wizard.getCurrentState() < 5)
        wizard.requestStateChange (requestNext);

    auto& devices = SonavelAudioEngine::getInstance()->getDevices();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return devices.hasList(); }, 10000)) << "entering step five lists the devices";

    auto& onStepFive = wizard.getStepFive().getMicrophoneChooser();
    EXPECT_EQ (onStepFive.getDeviceText(), "HD Webcam Microphone");
    EXPECT_TRUE (onStepFive.showsSystemDefault());

    auto menu = onStepFive.makeMenu();
    juce::StringArray items;

    for (juce::PopupMenu::MenuItemIterator item (menu); item.next();)
        if (! item.getItem().isSeparator)
            items.add (item.getItem().text + (item.getItem().isTicked ? " (ticked)" : ""));

    EXPECT_EQ (items.joinIntoString ("|"), "System default: HD Webcam Microphone (ticked)|HD Webcam Microphone|Measurement microphone");
    onStepFive.pick (3);
    EXPECT_EQ (wizard.getStepFive().getLevelMeter().getVerdict(), "Shows the microphone's level while TEST TONE plays.");

    walkToStepSix();
    auto& onStepSix = stepSix().getMicrophoneChooser();
    EXPECT_EQ (onStepSix.getDeviceText(), "Measurement microphone");
    EXPECT_FALSE (onStepSix.showsSystemDefault());
    EXPECT_EQ (devices.routeFor (SoundDevice::Direction::input), (AudioRoute { AudioRoute::Via::soundServer, "room_mic" }));

    // Back to the system's default, which hears nothing: the sentence names it.
    onStepSix.makeMenu();
    onStepSix.pick (1);
    EXPECT_TRUE (onStepSix.showsSystemDefault());
    measure();
    EXPECT_FALSE (stepSix().isLastMeasurementValid());
    EXPECT_TRUE (graph().getNotice().startsWith (juce::String::fromUTF8 ("The microphone \xe2\x80\x9cHD Webcam Microphone\xe2\x80\x9d recorded silence")))
        << graph().getNotice();
}

TEST (MeasurementNotes, EveryFailureHasASentenceOfItsOwnAndSuccessOrAStopNone)
{
    const MeasurementOutcome failures[] = { MeasurementOutcome::noAudioDevice, MeasurementOutcome::audioGivenUp,
                                            MeasurementOutcome::streamStopped, MeasurementOutcome::silence,
                                            MeasurementOutcome::outOfMemory, MeasurementOutcome::inputMissing,
                                            MeasurementOutcome::outputMissing };
    juce::StringArray sentences;

    for (auto outcome : failures)
        sentences.addIfNotAlreadyThere (MeasurementNotes::failureSentence (outcome, "Mic", "Out"));

    EXPECT_EQ (sentences.size(), 7);
    EXPECT_FALSE (sentences.contains ({}));

    // The program chooses its devices itself: no sentence sends the person to the system's defaults.
    for (const auto& sentence : sentences)
        EXPECT_FALSE (sentence.contains ("default")) << sentence;

    EXPECT_TRUE (MeasurementNotes::failureSentence (MeasurementOutcome::inputMissing, "Mic", "Out").contains ("Mic"));
    EXPECT_TRUE (MeasurementNotes::failureSentence (MeasurementOutcome::outputMissing, "Mic", "Out").contains ("Out"));
    EXPECT_TRUE (MeasurementNotes::failureSentence (MeasurementOutcome::audioGivenUp).contains ("restart"));

    for (auto quiet : { MeasurementOutcome::none, MeasurementOutcome::ok, MeasurementOutcome::stopped })
        EXPECT_TRUE (MeasurementNotes::failureSentence (quiet).isEmpty());
}
