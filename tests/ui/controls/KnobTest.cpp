#include "DrawnFrame.h"
#include "DepthKnob.h"
#include "FreqKnob.h"
#include "QKnob.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    // As the knob panel sets a knob up: continuous, its pictures' size.
    template <typename Knob>
    void setUpAsInThePanel (Knob& knob, double minimum, double maximum)
    {
        knob.setRange (minimum, maximum, 0.0);
        knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
        knob.setTextBoxStyle (juce::Slider::NoTextBox, true, 80, 20);
        knob.setSize (118, 86);
    }
}

TEST (FreqKnob, TurnsThroughEveryFrameOnceFromFortyToTwoHundredAndEightyHertz)
{
    FreqKnob knob ({});
    setUpAsInThePanel (knob, 40.0, 280.0);
    DrawnFrame frame (PictureCatalog::freqKnobFrame, 32);

    // Turned up in half hertz, the knob shows its frames in order, each of them, none twice.
    std::vector<int> shown;

    for (double value = 40.0; value <= 280.0; value += 0.5)
    {
        knob.setValue (value);
        const int k = frame.of (knob);
        ASSERT_GE (k, 1) << value << " Hz shows none of the knob's frames";

        if (shown.empty() || shown.back() != k)
        {
            ASSERT_TRUE (shown.empty() || k == shown.back() + 1) << value << " Hz: frame " << k << " after frame " << shown.back();
            shown.push_back (k);
        }
    }

    EXPECT_EQ (shown.front(), 1);
    EXPECT_EQ (shown.back(), 32);
}

TEST (StepKnobs, ShowTheWholeStepOfTheirValueAndOnlyExactlySixShowsSix)
{
    QKnob q ({});
    DepthKnob depth ({});
    setUpAsInThePanel (q, 1.0, 6.0);
    setUpAsInThePanel (depth, 1.0, 6.0);
    DrawnFrame qFrame (PictureCatalog::qKnobFrame, 6);
    DrawnFrame depthFrame (PictureCatalog::depthKnobFrame, 6);

    const std::pair<double, int> cases[] = { { 1.0, 1 }, { 1.99, 1 }, { 2.0, 2 }, { 3.5, 3 }, { 5.99, 5 }, { 6.0, 6 } };
    for (const auto& [value, expected] : cases)
    {
        q.setValue (value);
        depth.setValue (value);
        EXPECT_EQ (qFrame.of (q), expected) << value;
        EXPECT_EQ (depthFrame.of (depth), expected) << value;
    }
}

TEST (StepKnobs, ARangeWiderThanTheScaleShowsTheScalesNearestEnd)
{
    DepthKnob depth ({});
    setUpAsInThePanel (depth, 0.0, 9.0);
    DrawnFrame frame (PictureCatalog::depthKnobFrame, 6);

    depth.setValue (0.5);
    EXPECT_EQ (frame.of (depth), 1);
    depth.setValue (8.0);
    EXPECT_EQ (frame.of (depth), 6);
}

TEST (StepKnobs, AKnobTooSmallForItsPictureShowsAllOfItSqueezed)
{
    QKnob q ({});
    setUpAsInThePanel (q, 1.0, 6.0);
    q.setSize (59, 43);
    DrawnFrame frame (PictureCatalog::qKnobFrame, 6);

    q.setValue (4.0);
    EXPECT_EQ (frame.of (q), 4);
}
