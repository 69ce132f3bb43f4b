#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The up or down arrow of a value spinner: a gold triangle that brightens under the mouse.
class SpinnerButton final : public juce::Button
{
public:
    explicit SpinnerButton (bool isIncrement);

    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

    // The slider copies its own tooltip onto its buttons; ours says how the buttons work instead.
    juce::String getTooltip() override;

private:
    juce::Image upImage;
    juce::Image downImage;
    bool isIncrement;
};
