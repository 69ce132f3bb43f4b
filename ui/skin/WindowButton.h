#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A round title-bar button with a symbol (a cross or a bar) scaled into it.
class WindowButton final : public juce::Button
{
public:
    WindowButton (const juce::String& name, const juce::Path& shape);

    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    juce::Path shape;
};
