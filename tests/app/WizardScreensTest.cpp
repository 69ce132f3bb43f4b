#include "ComponentSearch.h"
#include "MeasurementContract.h"
#include "PeerMouse.h"
#include "PictureCatalog.h"
#include "RoomSetupScreen.h"
#include "SonavelAudioEngine.h"
#include "SonavelRoomAnalysisScreen.h"
#include "SonavelSpeakerHeightScreen.h"
#include "SonavelSplashScreen.h"
#include "StepFive.h"
#include "StepFour.h"
#include "StepSix.h"

#include <gtest/gtest.h>

namespace
{
    struct ButtonRow
    {
        const char* name;
        const char* tooltip;
        const char* text;
    };

    // Each button carries its texts, lies wholly on the screen and is what a click on its middle
    // reaches (nothing covers it). Where each one lies is the artwork's business; the tour clicks them there.
    void expectButtons (juce::Component& screen, std::initializer_list<ButtonRow> rows)
    {
        screen.setVisible (true);

        for (const auto& row : rows)
        {
            auto* button = findButton (screen, row.name);
            ASSERT_NE (button, nullptr) << screen.getName() << ": " << row.name;
            EXPECT_EQ (button->getTooltip(), row.tooltip) << screen.getName() << ": " << row.name;
            EXPECT_EQ (button->getButtonText(), row.text) << screen.getName() << ": " << row.name;
            EXPECT_TRUE (screen.getLocalBounds().contains (button->getBounds())) << screen.getName() << ": " << row.name;
            EXPECT_EQ (screen.getComponentAt (button->getBounds().getCentre()), button) << screen.getName() << ": " << row.name;
        }
    }

    const ButtonRow standardNext { "Next", "Proceed to the next step...", "new button" };
    const ButtonRow standardBack { "Back", "Go back to the previous step...", "new button" };

    // The screen's top-left pixel must be the background's pixel at minus the offset, and the
    // picture must fill the whole screen (its right and bottom margins are clipped).
    void expectBackgroundAt (juce::Component& screen, Picture picture, int offsetX, int offsetY)
    {
        const auto shot = screen.createComponentSnapshot (screen.getLocalBounds());
        const auto art = PictureCatalog::get (picture);
        ASSERT_EQ (shot.getWidth(), 1000);
        ASSERT_EQ (shot.getHeight(), 750);

        for (auto [x, y] : { std::pair { 5, 5 }, std::pair { 500, 300 }, std::pair { 995, 600 } })
        {
            // Pixels under buttons would differ: these three lie clear of them on every screen.
            const auto expected = art.getPixelAt (x - offsetX, y - offsetY);
            const auto actual = shot.getPixelAt (x, y);
            const auto onWhite = juce::Colours::white.overlaidWith (expected);
            EXPECT_NEAR (actual.getRed(), onWhite.getRed(), 2) << screen.getName() << " at " << x << "," << y;
            EXPECT_NEAR (actual.getGreen(), onWhite.getGreen(), 2) << screen.getName() << " at " << x << "," << y;
            EXPECT_NEAR (actual.getBlue(), onWhite.getBlue(), 2) << screen.getName() << " at " << x << "," << y;
        }
    }
}

TEST (WizardScreens, SplashHasOnlyAnUntitledNextAndItsPictureAtMinusTwelve)
{
    SonavelSplashScreen screen;
    expectButtons (screen, { { "NEXT", "Proceed to the next step...", "" } });
    EXPECT_EQ (findButton (screen, "Back"), nullptr);
    expectBackgroundAt (screen, Picture::splashBackground, -12, 0);
}

TEST (WizardScreens, InformationScreensCarryTheStandardButtons)
{
    SonavelSpeakerHeightScreen height;
    expectButtons (height, { standardNext, standardBack });
    expectBackgroundAt (height, Picture::speakerHeightBackground, -12, 0);

    StepFour four;
    expectButtons (four, { standardNext, standardBack });
    expectBackgroundAt (four, Picture::stepFourBackground, -13, -2);
}

TEST (WizardScreens, RoomAnalysisButtonsHaveNoTooltips)
{
    SonavelRoomAnalysisScreen screen;
    expectButtons (screen, { { "Next", "", "new button" }, { "Back", "", "new button" } });
    expectBackgroundAt (screen, Picture::roomAnalysisBackground, -12, 0);
}

TEST (WizardScreens, RoomSetupShowsSevenAdviceParagraphsUnscaled)
{
    RoomSetupScreen screen;
    expectButtons (screen, { standardNext, standardBack,
                             { "A Text", "", "" },
                             { "B Text", "", "" },
                             { "C Text", "", "" },
                             { "D Text", "", "" },
                             { "E Text", "", "" },
                             { "F Text", "", "new button" },
                             { "G Text", "", "" } });

    for (int i = 0; i < RoomSetupScreen::numAdviceButtons; ++i)
    {
        const auto picture = PictureCatalog::info (static_cast<Picture> (static_cast<int> (Picture::adviceTextANormal) + 2 * i));
        EXPECT_EQ (screen.getAdviceButton (i)->getWidth(), picture.width) << picture.name;
        EXPECT_EQ (screen.getAdviceButton (i)->getHeight(), picture.height) << picture.name;
    }
}

TEST (WizardScreens, RoomSetupDiagramLightsWithTheParagraphsUnderTheMouse)
{
    RoomSetupScreen screen;
    auto& diagram = screen.getRoomLayout();
    EXPECT_EQ (diagram.getParentComponent(), &screen);

    if (! PeerMouse::hasDisplay())
        GTEST_SKIP() << "needs a display for the window the mouse moves over";

    const auto litMarkers = [&] {
        std::vector<int> lit;
        for (int m = 0; m < RoomLayoutWidget::numMarkers; ++m)
            if (diagram.getMarker (m).getToggleState())
                lit.push_back (m);
        return lit;
    };

    PeerMouse mouse (screen);

    mouse.moveTo (*screen.getAdviceButton (2));
    EXPECT_EQ (litMarkers(), (std::vector<int> { 2, 3 }));
    EXPECT_TRUE (screen.getAdviceButton (2)->getToggleState());

    mouse.moveTo (*screen.getAdviceButton (3));
    EXPECT_EQ (litMarkers(), (std::vector<int> { 4 }));
    EXPECT_FALSE (screen.getAdviceButton (2)->getToggleState());

    mouse.moveTo (diagram.getMarker (0));
    EXPECT_TRUE (screen.getAdviceButton (0)->getToggleState()) << "the (a) marker lights paragraph (a)";
    EXPECT_FALSE (screen.getAdviceButton (3)->getToggleState());

    mouse.moveTo (*screen.getAdviceButton (6));
    EXPECT_EQ (litMarkers(), (std::vector<int> { 7 }));
    EXPECT_FALSE (screen.getAdviceButton (0)->getToggleState());

    mouse.moveOutside();
    EXPECT_TRUE (litMarkers().empty());
    for (int i = 0; i < RoomSetupScreen::numAdviceButtons; ++i)
        EXPECT_FALSE (screen.getAdviceButton (i)->getToggleState()) << "paragraph " << i;
}

TEST (WizardScreens, StepFiveLocksNextAndBackWhileTheLevelTestLoops)
{
    StepFive screen;
    expectButtons (screen, { standardNext, standardBack });
    EXPECT_EQ (screen.getNoiseButton().getTooltip(), "Click to generate a test noise...");
    EXPECT_TRUE (screen.getNoiseButton().getClickingTogglesState());

    EXPECT_FALSE (screen.isLevelTestRunning());
    screen.beginLevelTest();
    EXPECT_TRUE (screen.isLevelTestRunning());
    EXPECT_TRUE (screen.getNoiseButton().getToggleState()) << "TEST TONE looks on while passes follow";
    EXPECT_FALSE (findButton (screen, "Next")->isEnabled());
    EXPECT_FALSE (findButton (screen, "Back")->isEnabled());

    // Switching off only stops further passes: the buttons stay locked until the pass ends.
    screen.clearLevelTestRunning();
    EXPECT_FALSE (screen.isLevelTestRunning());
    EXPECT_FALSE (screen.getNoiseButton().getToggleState());
    EXPECT_FALSE (findButton (screen, "Next")->isEnabled());

    screen.endLevelTest();
    EXPECT_TRUE (findButton (screen, "Next")->isEnabled());
    EXPECT_TRUE (findButton (screen, "Back")->isEnabled());
    expectBackgroundAt (screen, Picture::stepFiveBackground, -13, -2);
}

TEST (WizardScreens, StepSixHasFinishMeasureHoldAndOneSpeakerToggleOn)
{
    StepSix screen;
    expectButtons (screen, { { "Finish", "Exit the application...", "new button" },
                             standardBack,
                             { "Measure", "Click to perform a room measurement...", "Measure" },
                             { "Hold", "Click to hold the current measurement on screen...", "Hold Current" },
                             { "Left", "Measure the left speaker...", "Left" },
                             { "Both", "Measure both speakers...", "Both" },
                             { "Right", "Measure the right speaker...", "Right" },
                             { "EQ Calculator", "Open the EQ Calculator...", "new button" } });
    EXPECT_EQ (findButton (screen, "Next"), nullptr);

    EXPECT_TRUE (screen.isLeftSelected());
    EXPECT_FALSE (screen.isRightSelected());

    screen.getLeftButton().triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_TRUE (screen.isLeftSelected()) << "clicking the toggle that is on leaves it on";

    screen.getRightButton().triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_TRUE (screen.isRightSelected());
    EXPECT_FALSE (screen.isLeftSelected());
    EXPECT_FALSE (screen.getBothButton().getToggleState());
    expectBackgroundAt (screen, Picture::stepSixBackground, -13, -2);
}

TEST (WizardScreens, StepSixShowsTheStripOfTheSpeakerTheEngineMeasuresOverItsGraph)
{
    StepSix screen;
    EXPECT_EQ (screen.getGraph().getName(), "GraphView");
    EXPECT_EQ (screen.getGraph().xToFrequency (0), 20);
    EXPECT_EQ (screen.getGraph().xToFrequency (862), 500);

    ProgressSlider* strips[] = { &screen.getLeftProgress(), &screen.getBothProgress(), &screen.getRightProgress() };
    const char* announcements[] = { "MEASURING LEFT SPEAKER...", "MEASURE BOTH SPEAKERS...", "MEASURING RIGHT SPEAKER..." };

    // Each strip runs below its own speaker's toggle and no other one, above the graph.
    juce::Button* toggles[] = { &screen.getLeftButton(), &screen.getBothButton(), &screen.getRightButton() };

    for (int i = 0; i < 3; ++i)
    {
        EXPECT_FALSE (strips[i]->isVisible());
        EXPECT_LT (strips[i]->getBottom(), screen.getGraph().getY());

        for (int t = 0; t < 3; ++t)
            EXPECT_EQ (strips[i]->getX() <= toggles[t]->getBounds().getCentreX() && toggles[t]->getBounds().getCentreX() < strips[i]->getRight(), i == t)
                << "strip " << i << ", toggle " << t;
    }

    auto* engine = SonavelAudioEngine::getInstance();

    for (int measured = 0; measured < 3; ++measured)
    {
        engine->sendActionMessage (announcements[measured]);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

        for (int i = 0; i < 3; ++i)
            EXPECT_EQ (strips[i]->isVisible(), i == measured) << announcements[measured] << ", strip " << i;

        engine->sendActionMessage (MeasurementContract::finishMeasure);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_FALSE (strips[measured]->isVisible());
    }

    engine->sendActionMessage ("MEASURING OUTPUT LEVEL...");
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    for (auto* strip : strips)
        EXPECT_FALSE (strip->isVisible()) << "step five's level test runs no strip here";

    SonavelAudioEngine::deleteInstance();
}
