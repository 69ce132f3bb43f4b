#include "SpinnerLabel.h"

SpinnerLabel::SpinnerLabel (const juce::String& componentName, const juce::String& labelText)
    : juce::Label (componentName, labelText)
{
}

juce::TextEditor* SpinnerLabel::createEditorComponent()
{
    auto* editor = juce::Label::createEditorComponent();

    if (editor != nullptr)
    {
        editor->setSelectAllWhenFocused (true);
        // The point lets a typed 2.6 reach the slider, which rounds it to its interval, instead of
        // turning it into 26.
        editor->setInputRestrictions (3, "0123456789.");
        editor->setTooltip (getTooltip());
    }

    return editor;
}

std::unique_ptr<juce::AccessibilityHandler> SpinnerLabel::createAccessibilityHandler()
{
    return createIgnoredAccessibilityHandler (*this);
}
