#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A slider whose whole face is a picture of a knob with its printed scale, chosen by the value.
class ImageKnob : public juce::Slider
{
public:
    explicit ImageKnob (const juce::String& componentName);

    void paint (juce::Graphics& g) override;

    // The picture for a value; an invalid image shows the bare white face.
    virtual juce::Image getImageForValue (double value) = 0;
};
