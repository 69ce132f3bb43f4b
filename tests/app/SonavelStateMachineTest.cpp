#include "ActionRecorder.h"
#include "ComponentSearch.h"
#include "MessagePump.h"
#include "SonavelStateMachine.h"

#include <gtest/gtest.h>

namespace
{
    class WizardTest : public ::testing::Test
    {
    protected:
        WizardTest() { wizard.addActionListener (&recorder); }
        ~WizardTest() override { wizard.removeActionListener (&recorder); }

        // Sends a request, delivers the broadcasts it caused and reports the new state.
        int request (int code)
        {
            wizard.requestStateChange (code);
            pumpMessages (20);
            return wizard.getCurrentState();
        }

        void walkTo (int state)
        {
            while (wizard.getCurrentState() < state)
                request (requestNext);
            recorder.messages.clear();
        }

        SonavelStateMachine wizard;
        ActionRecorder recorder;
    };
}

TEST_F (WizardTest, StartsOnTheSplashScreenWithEveryScreenAtTheFixedSize)
{
    EXPECT_EQ (wizard.getCurrentState(), 0);
    ASSERT_NE (wizard.getCurrentScreen(), nullptr);
    EXPECT_EQ (wizard.getCurrentScreen()->getName(), "Splash Screen");

    const char* names[] = { "Splash Screen", "Room Setup", "Speaker Height", "Room Analysis",
                            "Step Four", "Step Five", "Step Six" };

    for (int state = 0; state < SonavelStateMachine::numStates; ++state)
    {
        auto* screen = wizard.getCurrentScreen();
        ASSERT_NE (screen, nullptr);
        EXPECT_EQ (screen->getName(), names[state]);
        EXPECT_EQ (screen->getBounds(), juce::Rectangle<int> (0, 0, 1000, 750)) << names[state];

        if (state < SonavelStateMachine::numStates - 1)   // Next on the last screen would end the program
            request (requestNext);
    }
}

TEST_F (WizardTest, NextAndBackFollowTheTransitionTableWithOneBroadcastPerChange)
{
    for (int state = 0; state < 6; ++state)
    {
        recorder.messages.clear();
        EXPECT_EQ (request (requestNext), state + 1);
        EXPECT_EQ (recorder.messages, juce::StringArray ("StateChanged"));
    }

    for (int state = 6; state > 0; --state)
    {
        recorder.messages.clear();
        EXPECT_EQ (request (requestBack), state - 1);
        EXPECT_EQ (recorder.messages, juce::StringArray ("StateChanged"));
    }
}

TEST_F (WizardTest, RequestsTheTableDoesNotListChangeNothingAndBroadcastNothing)
{
    EXPECT_EQ (request (requestBack), 0);

    for (int state = 0; state <= 4; ++state)
    {
        walkTo (state);
        EXPECT_EQ (request (requestAction), state);
        EXPECT_EQ (request (17), state);
        EXPECT_EQ (request (-1), state);
    }

    EXPECT_TRUE (recorder.messages.isEmpty()) << recorder.messages.joinIntoString (", ").toStdString();
}

TEST_F (WizardTest, ScreenButtonsReachTheWizardThroughTheirDelegate)
{
    auto* next = findButton (*wizard.getCurrentScreen(), "NEXT");
    ASSERT_NE (next, nullptr);

    next->triggerClick();
    pumpMessagesUntil ([this] { return wizard.getCurrentState() == 1; });
    EXPECT_EQ (wizard.getCurrentState(), 1);
    EXPECT_EQ (recorder.count ("StateChanged"), 1);
}

// Finish stops the message loop for good, so this test gets a fresh message manager afterwards.
TEST (WizardFinish, FinishOnStepSixQuitsWithoutAStateChange)
{
    {
        SonavelStateMachine wizard;
        ActionRecorder recorder;
        wizard.addActionListener (&recorder);

        for (int i = 0; i < 6; ++i)
            wizard.requestStateChange (requestNext);
        pumpMessages (20);
        recorder.messages.clear();

        ASSERT_FALSE (juce::MessageManager::getInstance()->hasStopMessageBeenSent());
        wizard.requestStateChange (requestNext);

        EXPECT_TRUE (juce::MessageManager::getInstance()->hasStopMessageBeenSent());
        EXPECT_EQ (wizard.getCurrentState(), 6);
        EXPECT_TRUE (recorder.messages.isEmpty());
        wizard.removeActionListener (&recorder);
    }

    juce::MessageManager::deleteInstance();
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
}
