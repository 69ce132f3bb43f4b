#include "ProgressSlider.h"

#include "MeasurementContract.h"
#include "SonavelAudioEngine.h"

namespace
{
    constexpr int stepMs = 500;
}

ProgressSlider::ProgressSlider()
    : juce::Slider ("Progress Slider")
{
    setRange (1.0, 9.0, 0.0);
    setSliderStyle (juce::Slider::LinearHorizontal);
    setTextBoxStyle (juce::Slider::NoTextBox, true, 80, 20);
    setVisible (false);

    SonavelAudioEngine::getInstance()->addActionListener (this);
}

ProgressSlider::~ProgressSlider()
{
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
        engine->removeActionListener (this);
}

void ProgressSlider::addTriggerMessage (const juce::String& message)
{
    triggerMessages.addIfNotAlreadyThere (message, true);
}

void ProgressSlider::actionListenerCallback (const juce::String& message)
{
    if (message == MeasurementContract::finishMeasure)
    {
        stopTimer();
        setValue (getMinimum());
        setVisible (false);
    }
    else if (triggerMessages.contains (message, true))
    {
        setValue (getMinimum());
        startTimer (stepMs);
        setVisible (true);
    }
}

void ProgressSlider::timerCallback()
{
    setValue (getValue() < getMaximum() ? getValue() + 1.0 : getMinimum());
}
