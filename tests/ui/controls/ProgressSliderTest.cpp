#include "EngineMessages.h"
#include "MeasurementContract.h"
#include "ProgressSlider.h"

#include <cstring>
#include <new>

namespace
{
    const juce::String left ("MEASURING LEFT SPEAKER...");

    struct Observed
    {
        bool visible;
        bool ticking;
        double step;

        bool operator== (const Observed& o) const { return visible == o.visible && ticking == o.ticking && step == o.step; }
    };

    Observed observe (const ProgressSlider& slider)
    {
        return { slider.isVisible(), slider.isTimerRunning(), slider.getValue() };
    }

    void PrintTo (const Observed& o, std::ostream* os)
    {
        *os << "{visible " << o.visible << ", ticking " << o.ticking << ", step " << o.step << "}";
    }

    const Observed idle { false, false, 1.0 };
    const Observed startedAtStepOne { true, true, 1.0 };
}

using ProgressSliderTest = EngineMessages;

TEST_F (ProgressSliderTest, IsAHiddenIdleStripOnTheEnginesList)
{
    ProgressSlider slider;
    slider.addTriggerMessage (left);

    EXPECT_EQ (observe (slider), idle);
    EXPECT_NE (SonavelAudioEngine::getInstanceWithoutCreating(), nullptr);
}

TEST_F (ProgressSliderTest, ItsTriggerInAnyLetterCaseStartsItAndOnlyTheExactFinishStopsIt)
{
    ProgressSlider slider;
    slider.addTriggerMessage (left);

    announce ("measuring left speaker...");
    EXPECT_EQ (observe (slider), startedAtStepOne);
    EXPECT_EQ (slider.getTimerInterval(), 500);

    slider.timerCallback();
    announce ("FINISHMEASURE");
    EXPECT_EQ (observe (slider), (Observed { true, true, 2.0 }));

    announce (MeasurementContract::finishMeasure);
    EXPECT_EQ (observe (slider), idle);
}

TEST_F (ProgressSliderTest, OtherMessagesLeaveItAsItIs)
{
    ProgressSlider slider;
    slider.addTriggerMessage (left);

    for (const auto* message : { "MEASURING OUTPUT LEVEL...", "MEASURING RIGHT SPEAKER...", "MEASURE BOTH SPEAKERS...", "StateChanged" })
        announce (message);
    EXPECT_EQ (observe (slider), idle);

    announce (left);
    slider.timerCallback();
    slider.timerCallback();
    for (const auto* message : { "MEASURING OUTPUT LEVEL...", "MEASURING RIGHT SPEAKER...", "StateChanged" })
        announce (message);
    EXPECT_EQ (observe (slider), (Observed { true, true, 3.0 }));
}

TEST_F (ProgressSliderTest, StepsOneToNineAndRoundAgainAndATriggerRestartsIt)
{
    ProgressSlider slider;
    slider.addTriggerMessage (left);
    announce (left);

    for (int expected = 2; expected <= 9; ++expected)
    {
        slider.timerCallback();
        EXPECT_EQ (slider.getValue(), (double) expected);
    }

    slider.timerCallback();
    EXPECT_EQ (slider.getValue(), 1.0);

    slider.timerCallback();
    slider.timerCallback();
    announce (left);
    EXPECT_EQ (observe (slider), startedAtStepOne);
}

TEST_F (ProgressSliderTest, ItsTimerReallyMovesTheStrip)
{
    ProgressSlider slider;
    slider.addTriggerMessage (left);
    announce (left);

    EXPECT_TRUE (pumpMessagesUntil ([&] { return slider.getValue() == 2.0; }));
}

TEST_F (ProgressSliderTest, OutlivingTheEngineNeitherFailsNorBringsItBack)
{
    {
        ProgressSlider slider;
        slider.addTriggerMessage (left);
        SonavelAudioEngine::getInstance()->sendActionMessage (left);
        SonavelAudioEngine::deleteInstance();
        pumpMessages (20);
        EXPECT_EQ (observe (slider), idle);
    }

    EXPECT_EQ (SonavelAudioEngine::getInstanceWithoutCreating(), nullptr);
}

TEST_F (ProgressSliderTest, AMessageOnItsWayToAStripThatIsGoneIsDropped)
{
    // The strip lives in storage of our own, scribbled over once it is gone: a strip still on the
    // engine's list would be called through that garbage and take the test down.
    alignas (ProgressSlider) unsigned char storage[sizeof (ProgressSlider)];
    auto* slider = new (storage) ProgressSlider();
    slider->addTriggerMessage (left);
    SonavelAudioEngine::getInstance()->sendActionMessage (left);
    slider->~ProgressSlider();
    std::memset (storage, 0xA5, sizeof (storage));

    pumpMessages (20);
}
