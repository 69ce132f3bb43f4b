#include "SonavelSpeakerSettingWidget.h"

#include "PictureCatalog.h"

SonavelSpeakerSettingWidget::SonavelSpeakerSettingWidget()
    : juce::Component ("Speaker Setting Widget"),
      qKnob ({}),
      freqKnob ({}),
      depthKnob ({}),
      backgroundImage (PictureCatalog::get (Picture::speakerSettingBackground))
{
    const auto setUp = [this] (juce::Slider& knob, double minimum, double maximum)
    {
        addAndMakeVisible (knob);
        knob.setRange (minimum, maximum, 0.0);
        knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
        knob.setTextBoxStyle (juce::Slider::NoTextBox, true, 80, 20);
        knob.addListener (this);
    };

    setUp (qKnob, 1.0, 6.0);
    setUp (freqKnob, 40.0, 280.0);
    setUp (depthKnob, 1.0, 6.0);

    setSize (366, 86);
    setSettings ({}, true);
}

EqSettings SonavelSpeakerSettingWidget::getSettings() const
{
    return { (int32_t) qKnob.getValue(), (int32_t) freqKnob.getValue(), (int32_t) depthKnob.getValue() };
}

void SonavelSpeakerSettingWidget::setSettings (const EqSettings& settings, bool sendUpdateMessage)
{
    const auto notification = sendUpdateMessage ? juce::sendNotificationAsync : juce::dontSendNotification;
    qKnob.setValue (settings.qSetting, notification);
    freqKnob.setValue (settings.frequencyHz, notification);
    depthKnob.setValue (settings.depthSetting, notification);

    refreshTooltip (qKnob);
    refreshTooltip (freqKnob);
    refreshTooltip (depthKnob);
}

void SonavelSpeakerSettingWidget::addKnobListener (juce::Slider::Listener* listener)
{
    freqKnob.addListener (listener);
    depthKnob.addListener (listener);
    qKnob.addListener (listener);
}

void SonavelSpeakerSettingWidget::sliderValueChanged (juce::Slider* slider)
{
    if (slider == &qKnob || slider == &freqKnob || slider == &depthKnob)
        refreshTooltip (*slider);
}

void SonavelSpeakerSettingWidget::refreshTooltip (juce::Slider& knob)
{
    knob.setTooltip (juce::String::formatted ("%d", (int) knob.getValue()));
}

void SonavelSpeakerSettingWidget::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);
    g.setColour (juce::Colours::black);
    g.drawImageWithin (backgroundImage, 0, 0, 366, 86, juce::RectanglePlacement::centred, false);
}

void SonavelSpeakerSettingWidget::resized()
{
    qKnob.setBounds (0, 0, 118, 86);
    freqKnob.setBounds (123, 0, 118, 86);
    depthKnob.setBounds (246, 0, 118, 86);
}
