#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The direct child button with this name, or nullptr.
inline juce::Button* findButton (juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getName() == name)
            return button;

    return nullptr;
}
