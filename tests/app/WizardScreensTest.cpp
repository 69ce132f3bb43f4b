#include "ComponentSearch.h"
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
        juce::Rectangle<int> bounds;
    };

    void expectButtons (juce::Component& screen, std::initializer_list<ButtonRow> rows)
    {
        for (const auto& row : rows)
        {
            auto* button = findButton (screen, row.name);
            ASSERT_NE (button, nullptr) << screen.getName() << ": " << row.name;
            EXPECT_EQ (button->getTooltip(), row.tooltip) << screen.getName() << ": " << row.name;
            EXPECT_EQ (button->getButtonText(), row.text) << screen.getName() << ": " << row.name;
            EXPECT_EQ (button->getBounds(), row.bounds) << screen.getName() << ": " << row.name;
        }
    }

    const juce::Rectangle<int> nextPlace { 880, 704, 103, 24 };
    const juce::Rectangle<int> backPlace { 800, 704, 95, 24 };
    const ButtonRow standardNext { "Next", "Proceed to the next step...", "new button", nextPlace };
    const ButtonRow standardBack { "Back", "Go back to the previous step...", "new button", backPlace };

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
    expectButtons (screen, { { "NEXT", "Proceed to the next step...", "", nextPlace } });
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
    expectButtons (screen, { { "Next", "", "new button", nextPlace }, { "Back", "", "new button", backPlace } });
    expectBackgroundAt (screen, Picture::roomAnalysisBackground, -12, 0);
}

TEST (WizardScreens, RoomSetupShowsSevenAdviceParagraphsUnscaled)
{
    RoomSetupScreen screen;
    expectButtons (screen, { standardNext, standardBack,
                             { "A Text", "", "", { 499, 173, 422, 93 } },
                             { "B Text", "", "", { 500, 276, 380, 35 } },
                             { "C Text", "", "", { 501, 323, 448, 35 } },
                             { "D Text", "", "", { 502, 373, 380, 16 } },
                             { "E Text", "", "", { 501, 590, 394, 18 } },
                             { "F Text", "", "new button", { 503, 620, 426, 35 } },
                             { "G Text", "", "", { 501, 663, 441, 35 } } });

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
    EXPECT_EQ (diagram.getBounds(), juce::Rectangle<int> (18, 144, 463, 577));
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
    EXPECT_EQ (screen.getNoiseButton().getBounds(), juce::Rectangle<int> (590, 293, 256, 49));
    EXPECT_TRUE (screen.getNoiseButton().getClickingTogglesState());

    EXPECT_EQ (screen.getLevelProgress().getBounds(), juce::Rectangle<int> (33, 287, 560, 208));

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
    expectButtons (screen, { { "Finish", "Exit the application...", "new button", nextPlace },
                             standardBack,
                             { "Measure", "Click to perform a room measurement...", "Measure", { 404, 308, 191, 46 } },
                             { "Hold", "Click to hold the current measurement on screen...", "Hold Current", { 404, 382, 191, 46 } },
                             { "Left", "Measure the left speaker...", "Left", { 312, 256, 23, 21 } },
                             { "Both", "Measure both speakers...", "Both", { 572, 256, 23, 21 } },
                             { "Right", "Measure the right speaker...", "Right", { 828, 256, 23, 21 } },
                             { "EQ Calculator", "Open the EQ Calculator...", "new button", { 22, 704, 95, 24 } } });
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
    EXPECT_EQ (screen.getGraph().getBounds(), juce::Rectangle<int> (77, 491, 862, 178));
    EXPECT_EQ (screen.getGraph().getName(), "GraphView");
    EXPECT_EQ (screen.getGraph().xToFrequency (0), 20);
    EXPECT_EQ (screen.getGraph().xToFrequency (862), 500);

    ProgressSlider* strips[] = { &screen.getLeftProgress(), &screen.getBothProgress(), &screen.getRightProgress() };
    const juce::Rectangle<int> places[] = { { 98, 454, 281, 9 }, { 358, 454, 281, 9 }, { 618, 454, 281, 9 } };
    const char* announcements[] = { "MEASURING LEFT SPEAKER...", "MEASURE BOTH SPEAKERS...", "MEASURING RIGHT SPEAKER..." };

    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (strips[i]->getBounds(), places[i]);
        EXPECT_FALSE (strips[i]->isVisible());
    }

    auto* engine = SonavelAudioEngine::getInstance();

    for (int measured = 0; measured < 3; ++measured)
    {
        engine->sendActionMessage (announcements[measured]);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

        for (int i = 0; i < 3; ++i)
            EXPECT_EQ (strips[i]->isVisible(), i == measured) << announcements[measured] << ", strip " << i;

        engine->sendActionMessage ("finishMeasure");
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_FALSE (strips[measured]->isVisible());
    }

    engine->sendActionMessage ("MEASURING OUTPUT LEVEL...");
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    for (auto* strip : strips)
        EXPECT_FALSE (strip->isVisible()) << "step five's level test runs no strip here";

    SonavelAudioEngine::deleteInstance();
}
