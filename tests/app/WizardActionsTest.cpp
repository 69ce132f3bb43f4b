#include "ActionRecorder.h"
#include "ComponentSearch.h"
#include "MessagePump.h"
#include "SonavelAudioEngine.h"
#include "SonavelStateMachine.h"
#include "StepFive.h"
#include "StepSix.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

namespace
{
    // The wizard's level test and measurement against the real engine.
    class WizardActionsBase : public testing::Test
    {
    protected:
        WizardActionsBase() { SonavelAudioEngine::getInstance()->addActionListener (&engineMessages); }

        ~WizardActionsBase() override
        {
            SonavelAudioEngine::getInstance()->removeActionListener (&engineMessages);
            SonavelAudioEngine::deleteInstance();
        }

        void walkTo (int state)
        {
            while (wizard.getCurrentState() < state)
                wizard.requestStateChange (requestNext);
            pumpMessages (20);
        }

        juce::Button& button (const juce::String& name) const
        {
            auto* found = findButton (*wizard.getCurrentScreen(), name);
            EXPECT_NE (found, nullptr) << name;
            return *found;
        }

        void click (const juce::String& name) { button (name).triggerClick(); pumpMessages (10); }

        bool waitForMessages (const juce::String& message, int count)
        {
            return pumpMessagesUntil ([&] { return engineMessages.count (message) >= count; }, 60000);
        }

        SonavelStateMachine wizard;
        ActionRecorder engineMessages;
    };

    // With no sound server every test the engine starts fails at once.
    class WizardActions : public WizardActionsBase
    {
        VirtualRoom::NoServer noServer;
    };

    // Passes of the test tone play, a few seconds each.
    class WizardActionsInARoom : public WizardActionsBase
    {
        VirtualRoom room;
    };
}

TEST_F (WizardActionsInARoom, TheTestToneLoopsPassesUntilSwitchedOffAndLocksNextAndBackUntilTheLastEnds)
{
    walkTo (5);
    auto& stepFive = wizard.getStepFive();
    auto& toggle = stepFive.getNoiseButton();

    toggle.triggerClick();
    pumpMessages (10);
    EXPECT_TRUE (stepFive.isLevelTestRunning());
    EXPECT_TRUE (toggle.getToggleState());
    EXPECT_FALSE (button ("Next").isEnabled());
    EXPECT_FALSE (button ("Back").isEnabled());

    ASSERT_TRUE (waitForMessages ("finishMeasure", 2)) << "one pass follows the other";
    EXPECT_GE (engineMessages.count ("MEASURING OUTPUT LEVEL..."), 2);
    EXPECT_TRUE (stepFive.isLevelTestRunning());
    EXPECT_FALSE (button ("Next").isEnabled());

    // Meanwhile the meter reads the room's microphone, which the room keeps in the gold range.
    auto& meter = stepFive.getLevelMeter();
    EXPECT_TRUE (meter.isListening());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return meter.getVerdict().startsWith ("Good:"); }, 10000)) << meter.getVerdict();
    EXPECT_GT (meter.getShownDb(), MicrophoneLevelMeter::goodFromDb);
    EXPECT_LT (meter.getShownDb(), MicrophoneLevelMeter::goodToDb);

    // Next and Back do nothing while they are locked; the toggle still works.
    button ("Next").triggerClick();
    pumpMessages (10);
    EXPECT_EQ (wizard.getCurrentState(), 5);

    // Seen right after the wizard has handled the click (onClick runs after the listeners),
    // before any later message arrives.
    bool nextEnabledAfterClick = true, runningAfterClick = true;
    toggle.onClick = [&] { nextEnabledAfterClick = button ("Next").isEnabled(); runningAfterClick = stepFive.isLevelTestRunning(); };

    toggle.triggerClick();
    pumpMessagesUntil ([&] { return ! toggle.getToggleState(); });
    toggle.onClick = nullptr;
    EXPECT_FALSE (runningAfterClick);
    EXPECT_FALSE (nextEnabledAfterClick) << "the pass that plays runs to its end first";

    ASSERT_TRUE (pumpMessagesUntil ([&] { return button ("Next").isEnabled(); }, 60000));
    EXPECT_TRUE (button ("Back").isEnabled());
    EXPECT_FALSE (toggle.getToggleState());
    EXPECT_FALSE (meter.isListening()) << "no timer runs while the tone is off";

    const int passes = engineMessages.count ("MEASURING OUTPUT LEVEL...");
    pumpMessages (400);
    EXPECT_EQ (engineMessages.count ("MEASURING OUTPUT LEVEL..."), passes) << "no pass after the last";
    EXPECT_EQ (engineMessages.count ("finishMeasure"), passes);
}

TEST_F (WizardActionsInARoom, SwitchingTheToneBackOnBeforeThePassEndsKeepsTheLoopGoing)
{
    walkTo (5);
    auto& stepFive = wizard.getStepFive();
    auto& toggle = stepFive.getNoiseButton();

    toggle.triggerClick();
    toggle.triggerClick();
    toggle.triggerClick();
    pumpMessages (10);
    EXPECT_TRUE (stepFive.isLevelTestRunning());
    EXPECT_TRUE (toggle.getToggleState());

    ASSERT_TRUE (waitForMessages ("finishMeasure", 3));
    EXPECT_TRUE (stepFive.isLevelTestRunning());
    EXPECT_FALSE (button ("Next").isEnabled());

    toggle.triggerClick();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return button ("Next").isEnabled(); }, 60000));
}

TEST_F (WizardActions, APassThatCannotPlayEndsThePassesAndStepFiveSaysWhy)
{
    walkTo (5);
    auto& stepFive = wizard.getStepFive();
    auto& toggle = stepFive.getNoiseButton();

    toggle.triggerClick();
    ASSERT_TRUE (waitForMessages ("finishMeasure", 1));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return button ("Next").isEnabled(); }));
    EXPECT_FALSE (stepFive.isLevelTestRunning());
    EXPECT_FALSE (toggle.getToggleState());
    EXPECT_FALSE (stepFive.getLevelMeter().isListening()) << "no timer runs while the tone is off";
    EXPECT_EQ (stepFive.getNotes().getNoticeText(), MeasurementNotes::toneFailureSentence (MeasurementOutcome::noAudioDevice));

    pumpMessages (300);
    EXPECT_EQ (engineMessages.count ("MEASURING OUTPUT LEVEL..."), 1) << "no pass follows a failed one";

    // Opening a device list lists the devices afresh; the sentence stays until TEST TONE is pressed.
    SonavelAudioEngine::getInstance()->getDevices().setList ({ SoundDeviceList::Source::portAudio, {} });
    EXPECT_EQ (stepFive.getNotes().getNoticeText(), MeasurementNotes::toneFailureSentence (MeasurementOutcome::noAudioDevice));
}

TEST_F (WizardActions, MeasureStartsTheEngineForTheChosenSpeakerAndLocksAllButTheCalculator)
{
    walkTo (6);
    const std::pair<const char*, const char*> speakers[] = { { "Right", "MEASURING RIGHT SPEAKER..." },
                                                             { "Both", "MEASURE BOTH SPEAKERS..." },
                                                             { "Left", "MEASURING LEFT SPEAKER..." } };
    int measurements = 0;

    for (const auto& [toggle, announcement] : speakers)
    {
        click (toggle);
        ASSERT_TRUE (button (toggle).getToggleState()) << toggle;
        engineMessages.messages.clear();

        click ("Measure");
        ++measurements;

        for (const auto* locked : { "Measure", "Finish", "Back", "Hold", "Left", "Both", "Right" })
            EXPECT_FALSE (button (locked).isEnabled()) << locked << " while measuring " << toggle;

        EXPECT_TRUE (button ("EQ Calculator").isEnabled());

        ASSERT_TRUE (waitForMessages ("finishMeasure", 1)) << toggle;
        EXPECT_EQ (engineMessages.messages[0], announcement);

        for (const auto* unlocked : { "Measure", "Finish", "Back", "Hold", "Left", "Both", "Right" })
            EXPECT_TRUE (button (unlocked).isEnabled()) << unlocked << " after measuring " << toggle;

        EXPECT_FALSE (wizard.getStepSix().isLastMeasurementValid()) << "no sound server: the measurement failed";
        EXPECT_EQ (wizard.getCurrentState(), 6);
    }
}


TEST_F (WizardActions, ATestWhoseThreadCannotStartStillEndsAndUnlocksStepsFiveAndSix)
{
    // As on a system out of threads: every worker fails to start.
    struct FailingStarts
    {
        FailingStarts() { SonavelAudioEngine::startWorkerThread = [] (juce::Thread&) { return false; }; }
        ~FailingStarts() { SonavelAudioEngine::startWorkerThread = realStart; }
        bool (*realStart) (juce::Thread&) = SonavelAudioEngine::startWorkerThread;
    } failingStarts;

    walkTo (5);
    auto& stepFive = wizard.getStepFive();
    stepFive.getNoiseButton().triggerClick();
    ASSERT_TRUE (waitForMessages ("finishMeasure", 1));
    pumpMessages (100);
    EXPECT_EQ (engineMessages.count ("finishMeasure"), 1) << "no new pass is tried at once after one that could not start";
    EXPECT_FALSE (stepFive.isLevelTestRunning());
    EXPECT_FALSE (stepFive.getNoiseButton().getToggleState());
    EXPECT_TRUE (button ("Next").isEnabled());
    EXPECT_TRUE (button ("Back").isEnabled());

    walkTo (6);
    engineMessages.messages.clear();
    click ("Measure");
    ASSERT_TRUE (waitForMessages ("finishMeasure", 1));

    for (const auto* unlocked : { "Measure", "Finish", "Back", "Hold", "Left", "Both", "Right" })
        EXPECT_TRUE (button (unlocked).isEnabled()) << unlocked;

    EXPECT_FALSE (wizard.getStepSix().isLastMeasurementValid());
    EXPECT_FALSE (SonavelAudioEngine::getInstance()->isTestRunning());
}
