#pragma once

#include "DepthKnob.h"
#include "EqSettings.h"
#include "FreqKnob.h"
#include "QKnob.h"

// The speakers' rear-panel Q, FREQ and DEPTH knobs side by side over a picture of the panel.
// Reads and sets them as one whole-number EqSettings triple; each knob's tooltip is its value.
class SonavelSpeakerSettingWidget final : public juce::Component,
                                          public juce::Slider::Listener
{
public:
    SonavelSpeakerSettingWidget();

    // The knob values, truncated to whole numbers.
    EqSettings getSettings() const;

    // Each value is limited to its knob's range; a notification, if asked for, is asynchronous.
    void setSettings (const EqSettings& settings, bool sendUpdateMessage);

    // Added to FREQ, DEPTH and Q, in that order.
    void addKnobListener (juce::Slider::Listener* listener);

    void sliderValueChanged (juce::Slider* slider) override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    void refreshTooltip (juce::Slider& knob);

    QKnob qKnob;
    FreqKnob freqKnob;
    DepthKnob depthKnob;
    juce::Image backgroundImage;
};
