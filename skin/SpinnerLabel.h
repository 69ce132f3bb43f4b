#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The value box of a slider: its editor takes at most three characters of a number (digits and a
// decimal point) and starts with all selected.
class SpinnerLabel final : public juce::Label
{
public:
    SpinnerLabel (const juce::String& componentName, const juce::String& labelText);

protected:
    juce::TextEditor* createEditorComponent() override;

    // The slider speaks for its value; the box would only repeat it to a screen reader.
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
};
