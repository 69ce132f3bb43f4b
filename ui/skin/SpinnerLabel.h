#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The value box of a slider: its editor takes at most three characters of a number (digits and a
// decimal point) and starts with all selected.
class SpinnerLabel final : public juce::Label,
                           private juce::KeyListener
{
public:
    SpinnerLabel (const juce::String& componentName, const juce::String& labelText);

    static constexpr const char* allowedCharacters = "0123456789.";

protected:
    juce::TextEditor* createEditorComponent() override;

    // The slider speaks for its value; the box would only repeat it to a screen reader.
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

private:
    // The editor's filter drops a refused character but still replaces the selected text with
    // nothing, so a stray letter would empty the box; refused keys are swallowed before that.
    bool keyPressed (const juce::KeyPress& key, juce::Component* origin) override;
};
