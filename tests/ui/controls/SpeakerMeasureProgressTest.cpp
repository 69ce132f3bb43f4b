#include "EngineMessages.h"
#include "MeasurementContract.h"
#include "SpeakerMeasureProgress.h"

namespace
{
    juce::Slider& stripOf (SpeakerMeasureProgress& panel)
    {
        return *dynamic_cast<juce::Slider*> (panel.getChildComponent (0));
    }

    // The text area of the panel, as drawn.
    juce::Image textArea (SpeakerMeasureProgress& panel)
    {
        return panel.createComponentSnapshot ({ 132, 70, 288, 30 });
    }

    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    int pixelsOfColour (const juce::Image& image, juce::Colour colour)
    {
        int n = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                n += image.getPixelAt (x, y) == colour ? 1 : 0;

        return n;
    }

    const juce::Colour textGold (0xFFB5985A);
}

using SpeakerMeasureProgressTest = EngineMessages;

TEST_F (SpeakerMeasureProgressTest, IdleItShowsItsTitleInGoldAndNoStrip)
{
    SpeakerMeasureProgress panel ("NOISE MEASUREMENT");
    SpeakerMeasureProgress untitled ({});
    auto& strip = stripOf (panel);

    EXPECT_FALSE (strip.isVisible());
    EXPECT_FALSE (panel.isTimerRunning());

    EXPECT_EQ (pixelsOfColour (textArea (untitled), textGold), 0);
    EXPECT_GT (pixelsOfColour (textArea (panel), textGold), 100);
}

TEST_F (SpeakerMeasureProgressTest, AnyEngineMessageStartsARunThatShowsTheMessage)
{
    SpeakerMeasureProgress panel ("NOISE MEASUREMENT");
    const auto titleShown = textArea (panel);
    panel.setDuration (3000);

    announce ("MEASURING OUTPUT LEVEL...");
    EXPECT_TRUE (stripOf (panel).isVisible());
    EXPECT_EQ (stripOf (panel).getValue(), 1.0);
    EXPECT_EQ (panel.getTimerInterval(), 300);

    const auto levelShown = textArea (panel);
    EXPECT_FALSE (samePixels (levelShown, titleShown));
    EXPECT_GT (pixelsOfColour (levelShown, textGold), 100);

    // A step-six measurement moves it too, in whatever letter case.
    announce ("measuring left speaker...");
    EXPECT_FALSE (samePixels (textArea (panel), levelShown));
    EXPECT_TRUE (stripOf (panel).isVisible());
}

TEST_F (SpeakerMeasureProgressTest, TheStripWalksToStepNineInNineTicksAndThenRestsWithoutATimer)
{
    SpeakerMeasureProgress panel ("NOISE MEASUREMENT");
    auto& strip = stripOf (panel);
    announce ("MEASURING OUTPUT LEVEL...");
    EXPECT_EQ (panel.getTimerInterval(), 1500);

    panel.timerCallback();
    EXPECT_EQ (strip.getValue(), 1.0);

    for (int expected = 2; expected <= 9; ++expected)
    {
        EXPECT_TRUE (panel.isTimerRunning());
        panel.timerCallback();
        EXPECT_EQ (strip.getValue(), (double) expected);
    }

    EXPECT_FALSE (panel.isTimerRunning());
    EXPECT_TRUE (strip.isVisible());
}

TEST_F (SpeakerMeasureProgressTest, ANewMessageDuringARunStartsItAgainFromStepOne)
{
    SpeakerMeasureProgress panel ("NOISE MEASUREMENT");
    announce ("MEASURING OUTPUT LEVEL...");
    for (int i = 0; i < 9; ++i)
        panel.timerCallback();

    announce ("MEASURING OUTPUT LEVEL...");
    EXPECT_EQ (stripOf (panel).getValue(), 1.0);
    EXPECT_TRUE (panel.isTimerRunning());

    panel.timerCallback();
    panel.timerCallback();
    EXPECT_EQ (stripOf (panel).getValue(), 2.0);
}

TEST_F (SpeakerMeasureProgressTest, FinishEndsTheRunAndBringsTheTitleBackOnlyWhenSpelledExactly)
{
    SpeakerMeasureProgress panel ("NOISE MEASUREMENT");
    const auto titleShown = textArea (panel);

    announce ("MEASURING OUTPUT LEVEL...");
    panel.timerCallback();
    panel.timerCallback();
    announce ("FinishMeasure");
    EXPECT_TRUE (stripOf (panel).isVisible());
    EXPECT_EQ (stripOf (panel).getValue(), 1.0);

    announce (MeasurementContract::finishMeasure);
    EXPECT_FALSE (stripOf (panel).isVisible());
    EXPECT_FALSE (panel.isTimerRunning());
    EXPECT_TRUE (samePixels (textArea (panel), titleShown));

    announce (MeasurementContract::finishMeasure);
    EXPECT_FALSE (stripOf (panel).isVisible());
    EXPECT_TRUE (samePixels (textArea (panel), titleShown));
}

TEST_F (SpeakerMeasureProgressTest, AtThreeSecondsARunReallyAdvances)
{
    SpeakerMeasureProgress panel ("NOISE MEASUREMENT");
    panel.setDuration (3000);
    announce ("MEASURING OUTPUT LEVEL...");

    EXPECT_TRUE (pumpMessagesUntil ([&] { return stripOf (panel).getValue() == 2.0; }));
}

TEST_F (SpeakerMeasureProgressTest, OutlivingTheEngineNeitherFailsNorBringsItBack)
{
    {
        SpeakerMeasureProgress panel ("NOISE MEASUREMENT");
        SonavelAudioEngine::getInstance()->sendActionMessage ("MEASURING OUTPUT LEVEL...");
        SonavelAudioEngine::deleteInstance();
        pumpMessages (20);
        EXPECT_FALSE (stripOf (panel).isVisible());
    }

    EXPECT_EQ (SonavelAudioEngine::getInstanceWithoutCreating(), nullptr);
}
