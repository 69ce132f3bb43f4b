#pragma once

#include "ImageKnob.h"

// The centre-frequency knob, 40 to 280 Hz, shown in 32 pointer positions that follow its
// printed scale (denser at the low end).
class FreqKnob final : public ImageKnob
{
public:
    explicit FreqKnob (const juce::String& componentName);

    juce::Image getImageForValue (double value) override;
};
