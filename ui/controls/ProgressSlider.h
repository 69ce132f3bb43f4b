#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A busy indicator: hidden until the engine announces one of its trigger messages, then the
// marked step of the strip runs 1 … 9 and round again, every 500 ms, until "finishMeasure".
class ProgressSlider final : public juce::Slider,
                             public juce::Timer,
                             public juce::ActionListener
{
public:
    ProgressSlider();
    ~ProgressSlider() override;

    // Trigger messages are matched ignoring case.
    void addTriggerMessage (const juce::String& message);

    void actionListenerCallback (const juce::String& message) override;
    void timerCallback() override;

private:
    juce::StringArray triggerMessages;
};
