#pragma once

#include "EqSettings.h"
#include "MeasurementOutcome.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The footer lines of steps five and six: what to set on the rear panel after a measurement, how
// it compares with the held curve, a warning when the microphone's input clipped, and a notice (a
// chosen device that is not connected, a test tone that stopped). As many show as the footer has
// room for, in that order after the notice; a long one wraps. Empty while nothing is to be said.
class MeasurementNotes final : public juce::Component
{
public:
    MeasurementNotes();

    // The setting the analysis recommends; a frequency of 0 means no notch is needed.
    void showSuggestion (const EqSettings& notch);
    void showClipWarning (bool clipped);

    // What changed against the held curve, in numbers; empty for nothing to compare.
    void showVerdict (const juce::String& sentence);
    void showNotice (const juce::String& sentence);

    // Clears the suggestion and the warning; the notice stays until it is replaced.
    void clear();

    const juce::String& getSuggestionText() const { return suggestion; }
    const juce::String& getWarningText() const { return warning; }
    const juce::String& getNoticeText() const { return notice; }
    const juce::String& getVerdictText() const { return verdict; }

    // MeasurementFailure's sentences, for the footer.
    static juce::String failureSentence (MeasurementOutcome outcome, const juce::String& microphone = {},
                                         const juce::String& output = {});

    static juce::String toneFailureSentence (MeasurementOutcome outcome, const juce::String& output = {});

    void paint (juce::Graphics& g) override;

private:
    juce::String suggestion;
    juce::String warning;
    juce::String notice;
    juce::String verdict;
};
