#include "DrawnFrame.h"
#include "DepthKnob.h"
#include "FreqKnob.h"
#include "QKnob.h"

#include <gtest/gtest.h>

#include <array>

namespace
{
    // The knob's printed scale, as the pictures were cut: frame k up to and including each value.
    constexpr std::array<double, 31> frequencyThresholds {
        40, 43, 45, 47, 49, 51, 53, 55, 57, 59, 62, 65, 67, 69, 74, 79,
        84, 88, 93, 98, 104, 109, 118, 135, 155, 170, 190, 210, 230, 250, 270
    };

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

TEST (FreqKnob, ShowsTheFrameWhoseThresholdAValueReachesAndTheNextJustAbove)
{
    FreqKnob knob ({});
    setUpAsInThePanel (knob, 40.0, 280.0);
    DrawnFrame frame (PictureCatalog::freqKnobFrame, 32);

    const std::pair<double, int> named[] = { { 40.0, 1 }, { 40.01, 2 }, { 270.0, 31 }, { 270.01, 32 }, { 280.0, 32 } };
    for (const auto& [value, expected] : named)
    {
        knob.setValue (value);
        EXPECT_EQ (frame.of (knob), expected) << value;
    }

    for (size_t i = 0; i < frequencyThresholds.size(); ++i)
    {
        const int k = (int) i + 1;
        knob.setValue (frequencyThresholds[i]);
        EXPECT_EQ (frame.of (knob), k) << frequencyThresholds[i];
        knob.setValue (frequencyThresholds[i] + 0.01);
        EXPECT_EQ (frame.of (knob), k + 1) << frequencyThresholds[i] + 0.01;
    }
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
