#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// How the choosers look (devices, calibration): a white box with a gold outline and an arrow that
// says it opens a list, in the artwork's style, and a gold caption beside or above it.
class ChooserBox final
{
public:
    static constexpr int captionWidth = 96;
    static constexpr int captionHeight = 15;

    static void paintCaption (juce::Graphics& g, const juce::String& caption, juce::Rectangle<int> area);

    // Draws the box; returns where its text goes.
    static juce::Rectangle<int> paintBox (juce::Graphics& g, juce::Rectangle<int> box, bool hovering);
};
