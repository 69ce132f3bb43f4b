#pragma once

#include "ImageKnob.h"
#include "PictureCatalog.h"

#include <array>

// A knob with a scale of six steps; a value shows the picture of its whole step.
class StepKnob : public ImageKnob
{
public:
    static constexpr int numSteps = 6;

    // frameOfStep gives the picture of step 1..6.
    StepKnob (const juce::String& componentName, Picture (*frameOfStep) (int));

    juce::Image getImageForValue (double value) override;

private:
    std::array<juce::Image, numSteps> knobImages;
};
