#pragma once

#include "StepKnob.h"

// The Q knob of the rear panel, steps 1 to 6.
class QKnob final : public StepKnob
{
public:
    explicit QKnob (const juce::String& componentName);
};
