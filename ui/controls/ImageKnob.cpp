#include "ImageKnob.h"

ImageKnob::ImageKnob (const juce::String& componentName)
    : juce::Slider (componentName)
{
}

void ImageKnob::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);

    const auto image = getImageForValue (getValue());

    // One pixel beyond the top and left edges, as the pictures were cut to be placed.
    if (image.isValid())
        g.drawImageWithin (image, -1, -1, getWidth() + 1, getHeight() + 1,
                           juce::RectanglePlacement::stretchToFit, false);
}
