#include "WindowButton.h"

WindowButton::WindowButton (const juce::String& name, const juce::Path& symbol)
    : juce::Button (name), shape (symbol)
{
}

void WindowButton::paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    const auto d = (float) juce::jmin (getWidth(), getHeight());
    const auto x = ((float) getWidth() - d) * 0.5f;
    const auto y = ((float) getHeight() - d) * 0.5f;

    const auto white = juce::Colours::white;
    const auto face = isButtonDown ? white : (isMouseOverButton ? white.darker (0.05f) : white.darker (0.2f));
    g.setColour (face);
    g.fillEllipse (x, y, d, d);

    g.setColour (juce::Colour (0xFF555555));
    g.fillPath (shape, shape.getTransformToScaleToFit (x + 2.0f, y + 2.0f, d - 4.0f, d - 4.0f, true));
}
