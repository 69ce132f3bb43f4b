#include "QKnob.h"

QKnob::QKnob (const juce::String& componentName)
    : StepKnob (componentName, PictureCatalog::qKnobFrame)
{
}
