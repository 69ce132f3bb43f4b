#include "MeasurementNotes.h"

#include "MeasurementFailure.h"

#include <vector>

namespace
{
    // The house's gold, darkened to read on the light footer band; values in dark grey.
    const juce::Colour labelColour (0xFF8A6A35);
    const juce::Colour textColour (0xFF3A3A3A);
    constexpr float fontHeight = 13.0f;
    constexpr int lineHeight = 16;

    // "Label: rest" with the label in gold, the rest in grey; a plain line all in grey; laid out
    // to the width given, wrapping where it must.
    juce::TextLayout layoutOf (const juce::String& line, float width, bool plain)
    {
        const auto colon = plain ? -1 : line.indexOfChar (':');
        juce::AttributedString text;
        text.setJustification (juce::Justification::centredLeft);
        text.setLineSpacing (static_cast<float> (lineHeight) - fontHeight - 2.0f);
        text.append (line.substring (0, colon + 1), juce::Font (fontHeight, juce::Font::bold), labelColour);
        text.append (line.substring (colon + 1), juce::Font (fontHeight, juce::Font::plain), textColour);
        juce::TextLayout layout;
        layout.createLayout (text, width);
        return layout;
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

void MeasurementNotes::showNotice (const juce::String& sentence)
{
    notice = sentence;
    repaint();
}

void MeasurementNotes::showVerdict (const juce::String& sentence)
{
    verdict = sentence;
    repaint();
}

void MeasurementNotes::clear()
{
    suggestion.clear();
    warning.clear();
    verdict.clear();
    repaint();
}

juce::String MeasurementNotes::failureSentence (MeasurementOutcome outcome, const juce::String& microphone,
                                                const juce::String& output)
{
    return juce::String::fromUTF8 (MeasurementFailure::sentence (outcome, microphone.toStdString(), output.toStdString()).c_str());
}

juce::String MeasurementNotes::toneFailureSentence (MeasurementOutcome outcome, const juce::String& output)
{
    return juce::String::fromUTF8 (MeasurementFailure::toneSentence (outcome, output.toStdString()).c_str());
}

void MeasurementNotes::paint (juce::Graphics& g)
{
    struct Line { const juce::String& text; bool plain; };
    std::vector<juce::TextLayout> layouts;
    float height = 0.0f;
    const auto width = static_cast<float> (getWidth());

    for (const Line line : { Line { notice, true }, Line { suggestion, false }, Line { verdict, false }, Line { warning, false } })
    {
        if (line.text.isEmpty())
            continue;

        auto layout = layoutOf (line.text, width, line.plain);

        if (height + layout.getHeight() > static_cast<float> (getHeight()))
            break;

        height += layout.getHeight();
        layouts.push_back (std::move (layout));
    }

    // The lines sit together in the middle of the band.
    auto top = (static_cast<float> (getHeight()) - height) / 2.0f;

    for (const auto& layout : layouts)
    {
        layout.draw (g, { 0.0f, top, width, layout.getHeight() });
        top += layout.getHeight();
    }
}
