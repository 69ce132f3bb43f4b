#include "SpeakerMeasureProgress.h"

#include "PictureCatalog.h"
#include "SonavelAudioEngine.h"

namespace
{
    constexpr int lastStep = 9;
}

SpeakerMeasureProgress::SpeakerMeasureProgress (const juce::String& titleText)
    : title (titleText),
      backgroundImage (PictureCatalog::get (Picture::measureProgressBackground))
{
    addChildComponent (stepSlider);
    stepSlider.setSliderStyle (juce::Slider::LinearHorizontal);
    stepSlider.setTextBoxStyle (juce::Slider::NoTextBox, true, 80, 20);
    stepSlider.setRange (1.0, 10.0, 0.0);

    setSize (554, 203);

    SonavelAudioEngine::getInstance()->addActionListener (this);
}

SpeakerMeasureProgress::~SpeakerMeasureProgress()
{
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
        engine->removeActionListener (this);
}

void SpeakerMeasureProgress::setDuration (juce::uint32 milliseconds)
{
    durationMs = milliseconds;
}

void SpeakerMeasureProgress::actionListenerCallback (const juce::String& message)
{
    if (message == "finishMeasure")
    {
        stopRun();
        statusText.clear();
    }
    else
    {
        startRun();
        statusText = message;
    }

    repaint();
}

void SpeakerMeasureProgress::startRun()
{
    stopTimer();
    stepCount = 0;
    stepSlider.setValue (stepSlider.getMinimum());
    stepSlider.setVisible (true);
    startTimer ((int) (durationMs / 10));
}

void SpeakerMeasureProgress::stopRun()
{
    stepSlider.setVisible (false);
    stopTimer();
    stepCount = 0;
}

void SpeakerMeasureProgress::timerCallback()
{
    ++stepCount;

    if (stepCount <= lastStep)
        stepSlider.setValue (stepCount);

    // The strip rests on its last step until the run ends; nothing to tick for till then.
    if (stepCount >= lastStep)
        stopTimer();
}

void SpeakerMeasureProgress::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);
    g.setColour (juce::Colours::black);
    g.drawImageWithin (backgroundImage, 0, 0, 554, 203, juce::RectanglePlacement::centred, false);

    g.setColour (juce::Colour (textColour));
    g.setFont (juce::Font (21.0f));
    g.drawText (statusText.isNotEmpty() ? statusText : title, 132, 70, 288, 30,
                juce::Justification::centred, true);
}

void SpeakerMeasureProgress::resized()
{
    stepSlider.setBounds (136, 144, 280, 24);
}
