#include "ActionRecorder.h"
#include "ComponentSearch.h"
#include "LatencyOverride.h"
#include "MeasurementContract.h"
#include "MeasurementState.h"
#include "MessagePump.h"
#include "PortAudioSession.h"
#include "ScopedVariable.h"
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

    // Workers that start only when the test lets the last one made start: until then its pass plays.
    juce::Thread* heldWorker = nullptr;

    struct HeldStarts
    {
        HeldStarts() { SonavelAudioEngine::startWorkerThread = [] (juce::Thread& worker) { heldWorker = &worker; return true; }; }
        ~HeldStarts() { SonavelAudioEngine::startWorkerThread = realStart; }
        void startHeldWorker() const { realStart (*heldWorker); }
        bool (*realStart) (juce::Thread&) = SonavelAudioEngine::startWorkerThread;
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

    ASSERT_TRUE (waitForMessages (MeasurementContract::finishMeasure, 2)) << "one pass follows the other";
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
    EXPECT_EQ (engineMessages.count (MeasurementContract::finishMeasure), passes);
}

// A desktop that sets PULSE_LATENCY_MSEC=60 for every program, in a program that did not take it out
// (the app does at start-up): the output never starts playing while its server answers. The pass
// ends by its deadline all the same, TEST TONE's "off" holds, and step five says what happened;
// nothing is given up.
TEST_F (WizardActionsInARoom, APassWhoseOutputNeverPlaysEndsByItsDeadlineAndStepFiveSaysWhy)
{
    const ScopedVariable desktop (LatencyOverride::variable, "60");
    walkTo (5);
    auto& stepFive = wizard.getStepFive();
    auto& toggle = stepFive.getNoiseButton();

    toggle.triggerClick();
    ASSERT_TRUE (waitForMessages ("MEASURING OUTPUT LEVEL...", 1));
    toggle.triggerClick();
    pumpMessages (10);
    EXPECT_FALSE (button ("Back").isEnabled());

    ASSERT_TRUE (pumpMessagesUntil ([&] { return button ("Back").isEnabled(); }, 60000));
    EXPECT_TRUE (button ("Next").isEnabled());
    EXPECT_FALSE (toggle.getToggleState());
    EXPECT_EQ (engineMessages.count ("MEASURING OUTPUT LEVEL..."), 1);
    const auto output = SonavelAudioEngine::getInstance()->getDevices().describe (SoundDevice::Direction::output);
    EXPECT_EQ (stepFive.getNotes().getNoticeText(), MeasurementNotes::toneFailureSentence (MeasurementOutcome::overran, output));
    EXPECT_FALSE (PortAudioSession::isGivenUp());
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

    ASSERT_TRUE (waitForMessages (MeasurementContract::finishMeasure, 3));
    EXPECT_TRUE (stepFive.isLevelTestRunning());
    EXPECT_FALSE (button ("Next").isEnabled());

    toggle.triggerClick();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return button ("Next").isEnabled(); }, 60000));
}

// The engine hands a pass's end on to the wizard as a message of its own. TEST TONE pressed on and
// off between the two (the message thread was busy, the clicks queued) replaces the ended pass by
// a new one and switches the loop off; the old end then arrived as the new pass's, unlocking NEXT
// and BACK while the new pass played. Here the old end is stranded in that window for certain.
TEST_F (WizardActions, TheEndOfAReplacedPassArrivingLateLeavesNextAndBackLockedWhileTheNewPassPlays)
{
    const HeldStarts heldStarts;
    walkTo (5);
    auto& stepFive = wizard.getStepFive();
    auto& toggle = stepFive.getNoiseButton();

    // On; off (the pass plays on); on again (a new pass replaces it); off.
    for (int press = 0; press < 4; ++press)
    {
        toggle.triggerClick();
        pumpMessages (10);
    }

    ASSERT_FALSE (stepFive.isLevelTestRunning());
    ASSERT_FALSE (button ("Back").isEnabled());

    SonavelAudioEngine::getInstance()->sendActionMessage (MeasurementContract::finishMeasure);
    pumpMessages (50);
    click ("Back");
    EXPECT_EQ (wizard.getCurrentState(), 5) << "the new pass still plays";
    EXPECT_FALSE (button ("Back").isEnabled());
    EXPECT_FALSE (button ("Next").isEnabled());

    // The new pass's own end unlocks them (with no sound server it fails and says so).
    heldStarts.startHeldWorker();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return button ("Back").isEnabled(); }, 60000));
    EXPECT_TRUE (button ("Next").isEnabled());
    EXPECT_EQ (stepFive.getNotes().getNoticeText(), MeasurementNotes::toneFailureSentence (MeasurementOutcome::noAudioDevice));
}

TEST_F (WizardActions, APassThatCannotPlayEndsThePassesAndStepFiveSaysWhy)
{
    walkTo (5);
    auto& stepFive = wizard.getStepFive();
    auto& toggle = stepFive.getNoiseButton();

    toggle.triggerClick();
    ASSERT_TRUE (waitForMessages (MeasurementContract::finishMeasure, 1));
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

        ASSERT_TRUE (waitForMessages (MeasurementContract::finishMeasure, 1)) << toggle;
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
    ASSERT_TRUE (waitForMessages (MeasurementContract::finishMeasure, 1));
    pumpMessages (100);
    EXPECT_EQ (engineMessages.count (MeasurementContract::finishMeasure), 1) << "no new pass is tried at once after one that could not start";
    EXPECT_FALSE (stepFive.isLevelTestRunning());
    EXPECT_FALSE (stepFive.getNoiseButton().getToggleState());
    EXPECT_TRUE (button ("Next").isEnabled());
    EXPECT_TRUE (button ("Back").isEnabled());

    walkTo (6);
    engineMessages.messages.clear();
    click ("Measure");
    ASSERT_TRUE (waitForMessages (MeasurementContract::finishMeasure, 1));

    for (const auto* unlocked : { "Measure", "Finish", "Back", "Hold", "Left", "Both", "Right" })
        EXPECT_TRUE (button (unlocked).isEnabled()) << unlocked;

    EXPECT_FALSE (wizard.getStepSix().isLastMeasurementValid());
    EXPECT_FALSE (SonavelAudioEngine::getInstance()->isTestRunning());
}
