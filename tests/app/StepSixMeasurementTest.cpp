#include "ComponentSearch.h"
#include "DrawnTraces.h"
#include "EQCalculatorPopup.h"
#include "LogCollector.h"
#include "MessagePump.h"
#include "SonavelAudioEngine.h"
#include "SonavelStateMachine.h"
#include "StepFive.h"
#include "StepSix.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <utility>
#include <vector>

namespace
{
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

    // The whole numbers in a text, in order.
    std::vector<int> numbersIn (const juce::String& text)
    {
        std::vector<int> numbers;
        juce::String digits;

        const auto padded = text + " ";

        for (auto p = padded.getCharPointer(); ! p.isEmpty(); ++p)
        {
            if (juce::CharacterFunctions::isDigit (*p))
                digits << juce::String::charToString (*p);
            else if (digits.isNotEmpty())
                numbers.push_back (std::exchange (digits, {}).getIntValue());
        }

        return numbers;
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

    // A flat microphone's calibration changes nothing but what the curve says of it.
    const auto calibration = juce::File::createTempFile ("flat.txt");
    ASSERT_TRUE (calibration.replaceWithText ("20 0\n500 0\n"));
    ASSERT_TRUE (stepSix().getCalibrationChooser().loadFrom (calibration));
    measure();
    ASSERT_TRUE (stepSix().isLastMeasurementValid());
    EXPECT_EQ (stepSix().getCurrentCurve()->calibration, "\"" + calibration.getFileName().toStdString() + "\"");
    calibration.deleteFile();

    auto image = render (graph());
    const int peak = peakColumn (image, isBlue);
    ASSERT_GE (peak, 0) << "a curve is drawn";
    EXPECT_NEAR (graph().xToFrequency (peak), VirtualRoom::defaultModeHz, VirtualRoom::defaultModeHz * 0.05f);
    EXPECT_EQ (countPixels (image, isCrimson), 0);
    EXPECT_TRUE (graph().getNotice().isEmpty());

    // The log names the recommendation right after storing the result; step six says the same.
    const auto* record = SonavelAudioEngine::getInstance()->getResults();
    ASSERT_NE (record, nullptr);
    EXPECT_NEAR (record->frequencyHz, VirtualRoom::defaultModeHz, VirtualRoom::defaultModeHz * 0.05f);
    const std::vector<int> suggested { record->frequencyHz, record->qSetting, record->depthSetting };
    const auto logged = logLineAfter ("Setting settings with test results.");
    EXPECT_TRUE (logged.startsWith ("Recommended notch: FREQ ")) << logged;
    EXPECT_EQ (numbersIn (logged), suggested) << logged;
    const auto footer = stepSix().getNotes().getSuggestionText();
    EXPECT_TRUE (footer.startsWith ("Suggested rear-panel notch: FREQ ")) << footer;
    EXPECT_EQ (numbersIn (footer), suggested) << footer;
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

        // The gold trace is the measurement with the notch: nowhere higher, lowest against it where
        // the notch is (within a bin) and by about the depth of the calculator's own curve.
        juce::Array<float> notch, notchAxis;
        SonavelAudioEngine::getInstance()->computeEqCurve (notch, record->frequencyHz, record->qSetting,
                                                           record->depthSetting, notchAxis);
        const auto deepestNotch = (int) (std::min_element (notch.begin(), notch.end()) - notch.begin());
        const auto& predicted = calculator.getGraph().getPredictedResponse();
        const auto& axis = calculator.getGraph().getPredictedFrequencies();
        ASSERT_FALSE (predicted.isEmpty());
        int deepest = 0;
        float deepestCut = 0.0f;

        for (int bin = 0; bin < predicted.size(); ++bin)
        {
            const auto cut = predicted[bin] - record->valueAt (bin);
            ASSERT_LE (cut, 1e-6f) << axis[bin] << " Hz";

            if (cut < deepestCut)
            {
                deepest = bin;
                deepestCut = cut;
            }
        }

        EXPECT_NEAR (axis[deepest], notchAxis[deepestNotch], 2.7f);
        EXPECT_LE (deepestCut, 0.7f * notch[deepestNotch]);
        EXPECT_GE (deepestCut, notch[deepestNotch] - 1e-6f);
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

    {
        EQCalculatorPopup calculator;
        EXPECT_FALSE (calculator.getSuggestionButton().isVisible()) << "nothing to dial";
        EXPECT_TRUE (calculator.getGraph().hasPredictedResponse()) << "but the room's prediction is still shown";
    }

    // Leaving step six and coming back forgets that the last measurement was valid.
    wizard.requestStateChange (requestBack);
    EXPECT_FALSE (stepSix().isLastMeasurementValid());
    walkToStepSix();
    EXPECT_FALSE (stepSix().isLastMeasurementValid());
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
                                            MeasurementOutcome::unsteady, MeasurementOutcome::outOfMemory,
                                            MeasurementOutcome::inputMissing, MeasurementOutcome::outputMissing,
                                            MeasurementOutcome::pathTooSlow, MeasurementOutcome::overran };
    juce::StringArray sentences;

    for (auto outcome : failures)
        sentences.addIfNotAlreadyThere (MeasurementNotes::failureSentence (outcome, "Mic", "Out"));

    EXPECT_EQ (sentences.size(), (int) std::size (failures));
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
