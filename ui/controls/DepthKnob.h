#pragma once

#include "StepKnob.h"

// The DEPTH knob of the rear panel, steps 1 to 6.
class DepthKnob final : public StepKnob
{
public:
    explicit DepthKnob (const juce::String& componentName);
};
