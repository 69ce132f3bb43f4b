#pragma once

#include "EqSettings.h"
#include "MeasurementOutcome.h"

#include <juce_gui_basics/juce_gui_basics.h>

// Step six's footer line: what to set on the rear panel after a measurement, and a warning when
// the microphone's input clipped. Empty while nothing is to be said.
class MeasurementNotes final : public juce::Component
{
public:
    MeasurementNotes();

    // The setting the analysis recommends; a frequency of 0 means no notch is needed.
    void showSuggestion (const EqSettings& notch);
    void showClipWarning (bool clipped);
    void clear();

    const juce::String& getSuggestionText() const { return suggestion; }
    const juce::String& getWarningText() const { return warning; }

    // One sentence that names why a measurement failed and what to do; empty for an outcome that
    // needs none (success, or a stop because the program is closing).
    static juce::String failureSentence (MeasurementOutcome outcome);

    void paint (juce::Graphics& g) override;

private:
    juce::String suggestion;
    juce::String warning;
};
