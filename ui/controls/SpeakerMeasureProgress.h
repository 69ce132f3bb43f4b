#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The measurement panel: its title, or the engine's last announcement in gold, over a strip
// whose marked step walks from 1 to 9 across one nominal run while the engine measures.
class SpeakerMeasureProgress final : public juce::Component,
                                     public juce::Timer,
                                     public juce::ActionListener
{
public:
    explicit SpeakerMeasureProgress (const juce::String& title);
    ~SpeakerMeasureProgress() override;

    // The nominal length of a run; the strip steps every tenth of it. Applies from the next run.
    void setDuration (juce::uint32 milliseconds);

    void actionListenerCallback (const juce::String& message) override;
    void timerCallback() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    static constexpr juce::uint32 textColour = 0xFFB5985A;

    void startRun();
    void stopRun();

    int stepCount = 0;
    juce::String title;
    juce::String statusText;
    juce::uint32 durationMs = 15000;
    juce::Slider stepSlider { "Progress Slider" };
    juce::Image backgroundImage;
};
