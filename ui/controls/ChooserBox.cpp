#include "ChooserBox.h"

#include "SonavelSkin.h"

namespace
{
    const juce::Colour paper (0xFFFFFFFF);
    const juce::Colour hoverPaper (0xFFF6EFE2);

    constexpr int arrowWidth = 18;
}

void ChooserBox::paintCaption (juce::Graphics& g, const juce::String& caption, juce::Rectangle<int> area)
{
    juce::Font font (11.0f, juce::Font::bold);
    font.setExtraKerningFactor (0.09f);
    g.setFont (font);
    g.setColour (SonavelSkin::captionGold);
    g.drawText (caption, area, juce::Justification::centredLeft, false);
}

juce::Rectangle<int> ChooserBox::paintBox (juce::Graphics& g, juce::Rectangle<int> box, bool hovering)
{
    g.setColour (hovering ? hoverPaper : paper);
    g.fillRoundedRectangle (box.toFloat().reduced (0.5f), 3.0f);
    g.setColour (SonavelSkin::goldInk);
    g.drawRoundedRectangle (box.toFloat().reduced (0.5f), 3.0f, 1.0f);

    const auto arrowArea = box.withLeft (box.getRight() - arrowWidth).toFloat();
    juce::Path arrow;
    arrow.addTriangle (arrowArea.getCentreX() - 4.5f, arrowArea.getCentreY() - 2.5f,
                       arrowArea.getCentreX() + 4.5f, arrowArea.getCentreY() - 2.5f,
                       arrowArea.getCentreX(), arrowArea.getCentreY() + 3.0f);
    g.fillPath (arrow);

    return box.reduced (7, 3).withTrimmedRight (arrowWidth - 4);
}
