#include "MeasurementNotes.h"

namespace
{
    // The house's gold, darkened to read on the light footer band; values in dark grey.
    const juce::Colour labelColour (0xFF8A6A35);
    const juce::Colour textColour (0xFF3A3A3A);
    constexpr float fontHeight = 13.0f;
    constexpr int lineHeight = 16;

    // "Label: rest" with the label in gold, the rest in grey.
    void drawLine (juce::Graphics& g, const juce::String& line, juce::Rectangle<int> area)
    {
        const auto colon = line.indexOfChar (':');
        juce::AttributedString text;
        text.setJustification (juce::Justification::centredLeft);
        text.append (line.substring (0, colon + 1), juce::Font (fontHeight, juce::Font::bold), labelColour);
        text.append (line.substring (colon + 1), juce::Font (fontHeight, juce::Font::plain), textColour);
        text.draw (g, area.toFloat());
    }
}

MeasurementNotes::MeasurementNotes()
{
    setInterceptsMouseClicks (false, false);
}

void MeasurementNotes::showSuggestion (const EqSettings& notch)
{
    if (notch.frequencyHz == 0)
        suggestion = "No rear-panel notch needed: the bass is even enough without one.";
    else
        suggestion = juce::String::fromUTF8 ("Suggested rear-panel notch: FREQ ") + juce::String (notch.frequencyHz)
                     + juce::String::fromUTF8 (" Hz \xc2\xb7 Q ") + juce::String (notch.qSetting)
                     + juce::String::fromUTF8 (" \xc2\xb7 DEPTH ") + juce::String (notch.depthSetting);
    repaint();
}

void MeasurementNotes::showClipWarning (bool clipped)
{
    warning = clipped ? "Input clipped: the microphone reached full scale. Turn its gain down and measure again."
                      : juce::String();
    repaint();
}

void MeasurementNotes::clear()
{
    suggestion.clear();
    warning.clear();
    repaint();
}

juce::String MeasurementNotes::failureSentence (MeasurementOutcome outcome)
{
    switch (outcome)
    {
        case MeasurementOutcome::noAudioDevice:
            return "No sound device or sound server was found: connect the audio interface, make it the default "
                   "input and output, and measure again.";
        case MeasurementOutcome::devicesBusy:
            return "Another program holds the sound devices: close it and measure again.";
        case MeasurementOutcome::audioGivenUp:
            return "The sound server stopped answering: restart KORVEN Sonavel to measure again.";
        case MeasurementOutcome::streamStopped:
            return "The audio stream stopped before the measurement was complete: measure again.";
        case MeasurementOutcome::silence:
            return "The microphone recorded silence: check its cable, its phantom power and its gain, then measure again.";
        case MeasurementOutcome::unsteady:
            return "The microphone never heard the test noise steadily: check that the speakers play and the room "
                   "is quiet, then measure again.";
        case MeasurementOutcome::outOfMemory:
            return "There was not enough memory to measure: close other programs and measure again.";
        case MeasurementOutcome::none:
        case MeasurementOutcome::ok:
        case MeasurementOutcome::stopped:
            break;
    }

    return {};
}

void MeasurementNotes::paint (juce::Graphics& g)
{
    juce::StringArray lines;
    lines.add (suggestion);
    lines.add (warning);
    lines.removeEmptyStrings();

    // One line sits in the middle of the band, two share it.
    auto area = getLocalBounds().withSizeKeepingCentre (getWidth(), lines.size() * lineHeight);

    for (const auto& line : lines)
        drawLine (g, line, area.removeFromTop (lineHeight));
}
