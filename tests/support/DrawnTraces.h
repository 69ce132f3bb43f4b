#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// What a component paints itself, and the response graph's trace colours in it.
inline juce::Image render (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    component.paint (g);
    return image;
}

inline bool isBlue (juce::Colour c) { return c.getAlpha() > 150 && c.getBlue() > 150 && c.getRed() < 80 && c.getGreen() < 80; }
inline bool isCrimson (juce::Colour c) { return c.getAlpha() > 150 && c.getRed() > 150 && c.getGreen() < 80 && c.getBlue() < 140; }

inline int countPixels (const juce::Image& image, juce::Rectangle<int> area, bool (*matches) (juce::Colour))
{
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += matches (image.getPixelAt (x, y)) ? 1 : 0;
    return count;
}

inline int countPixels (const juce::Image& image, bool (*matches) (juce::Colour))
{
    return countPixels (image, image.getBounds(), matches);
}
