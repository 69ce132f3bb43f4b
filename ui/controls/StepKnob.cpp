#include "StepKnob.h"

StepKnob::StepKnob (const juce::String& componentName, Picture (*frameOfStep) (int))
    : ImageKnob (componentName)
{
    for (int step = 1; step <= numSteps; ++step)
        knobImages[(size_t) step - 1] = PictureCatalog::get (frameOfStep (step));

    setRange (1.0, (double) numSteps, 1.0);
    setSize (1, 1);
}

juce::Image StepKnob::getImageForValue (double value)
{
    // A range wider than the printed scale shows the scale's nearest end.
    int step = 1;

    if (value > getMaximum())
        step = numSteps;
    else if (value >= getMinimum())
        step = juce::jlimit (1, numSteps, (int) value);

    return knobImages[(size_t) step - 1];
}
