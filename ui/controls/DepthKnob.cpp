#include "DepthKnob.h"

DepthKnob::DepthKnob (const juce::String& componentName)
    : StepKnob (componentName, PictureCatalog::depthKnobFrame)
{
}
