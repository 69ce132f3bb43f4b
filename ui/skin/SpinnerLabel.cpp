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
        editor->setInputRestrictions (3, allowedCharacters);
        editor->setTooltip (getTooltip());
        editor->addKeyListener (this);
    }

    return editor;
}

bool SpinnerLabel::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    const auto character = key.getTextCharacter();
    const auto modifiers = key.getModifiers();

    if (character < ' ' || modifiers.isCommandDown() || modifiers.isCtrlDown() || modifiers.isAltDown())
        return false;

    return ! juce::String (allowedCharacters).containsChar (character);
}

std::unique_ptr<juce::AccessibilityHandler> SpinnerLabel::createAccessibilityHandler()
{
    return createIgnoredAccessibilityHandler (*this);
}
