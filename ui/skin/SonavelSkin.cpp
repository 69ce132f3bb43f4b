#include "SonavelSkin.h"

#include "PictureCatalog.h"
#include "SpinnerButton.h"
#include "SpinnerLabel.h"
#include "WindowButton.h"

SonavelSkin::SonavelSkin()
{
    setColour (juce::TooltipWindow::backgroundColourId, juce::Colour (gold).withAlpha (0.8f));
    setColour (juce::PopupMenu::backgroundColourId, juce::Colours::white);
    setColour (juce::PopupMenu::textColourId, ink);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (gold).withAlpha (0.25f));
    setColour (juce::PopupMenu::highlightedTextColourId, ink);

    for (int i = 0; i < (int) stepImages.size(); ++i)
        stepImages[(size_t) i] = PictureCatalog::get (PictureCatalog::sliderStep (i + 1));
}

juce::Font SonavelSkin::getPopupMenuFont()
{
    return juce::Font (13.0f);
}

void SonavelSkin::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
    g.setColour (juce::Colour (gold));
    g.drawRect (0, 0, width, height);
}

void SonavelSkin::drawTextEditorOutline (juce::Graphics& g, int width, int height, juce::TextEditor& editor)
{
    const float thickness = ! editor.isEnabled() ? 0.5f : (editor.hasKeyboardFocus (true) ? 2.0f : 1.0f);
    g.setColour (juce::Colour (gold));
    g.drawRect (0.0f, 0.0f, (float) width, (float) height, thickness);
}

void SonavelSkin::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                    float sliderPos, float minSliderPos, float maxSliderPos,
                                    juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (style != juce::Slider::LinearHorizontal)
    {
        LookAndFeel_V2::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
        return;
    }

    // The strip is a picture per marked step; below step 1 nothing is marked and nothing drawn.
    const int index = juce::jmin ((int) slider.getValue() - 1, (int) stepImages.size() - 1);

    if (index >= 0)
        g.drawImageAt (stepImages[(size_t) index], 0, 0);
}

juce::Button* SonavelSkin::createSliderButton (juce::Slider&, bool isIncrement)
{
    auto* button = new SpinnerButton (isIncrement);
    button->setWantsKeyboardFocus (false);
    return button;
}

juce::Label* SonavelSkin::createSliderTextBox (juce::Slider& slider)
{
    auto* label = new SpinnerLabel ("n", {});
    const auto style = slider.getSliderStyle();
    const bool bar = style == juce::Slider::LinearBar || style == juce::Slider::LinearBarVertical;
    const auto text = slider.findColour (juce::Slider::textBoxTextColourId);
    const auto background = slider.findColour (juce::Slider::textBoxBackgroundColourId);
    const auto outline = slider.findColour (juce::Slider::textBoxOutlineColourId);

    label->setJustificationType (juce::Justification::centred);
    label->setKeyboardType (juce::TextInputTarget::numericKeyboard);
    label->setColour (juce::Label::textColourId, text);
    label->setColour (juce::Label::backgroundColourId, bar ? juce::Colours::transparentBlack : background);
    label->setColour (juce::Label::outlineColourId, outline);
    label->setColour (juce::TextEditor::textColourId, text);
    label->setColour (juce::TextEditor::backgroundColourId, background.withAlpha (bar ? 0.7f : 1.0f));
    label->setColour (juce::TextEditor::outlineColourId, outline);
    label->setColour (juce::TextEditor::highlightColourId, juce::Colour (valueHighlight));
    label->setTooltip (slider.getTooltip());
    return label;
}

void SonavelSkin::drawDocumentWindowTitleBar (juce::DocumentWindow& window, juce::Graphics& g, int w, int h,
                                              int titleSpaceX, int titleSpaceW, const juce::Image* icon,
                                              bool drawTitleTextOnLeft)
{
    const bool active = window.isActiveWindow();
    const juce::Colour base (0xFF555555);

    g.setGradientFill (juce::ColourGradient (base, 0.0f, 0.0f,
                                             base.contrasting (active ? 0.15f : 0.05f), 0.0f, (float) h, false));
    g.fillAll();

    const juce::Font font ((float) h * 0.65f, juce::Font::bold);
    g.setFont (font);

    const auto name = window.getName();
    int textW = font.getStringWidth (name);
    int iconW = 0;
    int iconH = 0;

    if (icon != nullptr && icon->isValid())
    {
        iconH = (int) font.getHeight();
        iconW = icon->getWidth() * iconH / icon->getHeight() + 4;
    }

    textW = juce::jmin (titleSpaceW, textW + iconW);
    int textX = drawTitleTextOnLeft ? titleSpaceX : juce::jmax (titleSpaceX, (w - textW) / 2);

    if (textX + textW > titleSpaceX + titleSpaceW)
        textX = titleSpaceX + titleSpaceW - textW;

    if (iconW > 0)
    {
        g.setOpacity (active ? 1.0f : 0.6f);
        g.drawImageWithin (*icon, textX, (h - iconH) / 2, iconW, iconH, juce::RectanglePlacement::centred, false);
        textX += iconW;
        textW -= iconW;
    }

    g.setColour (juce::Colour (active ? 0xFFFFFFFF : 0xFFD3D3D3));
    g.drawText (name, textX, 0, textW, h, juce::Justification::centredLeft, true);
}

juce::Button* SonavelSkin::createDocumentWindowButton (int buttonType)
{
    juce::Path shape;

    if (buttonType == juce::DocumentWindow::closeButton)
    {
        shape.addLineSegment ({ 0.0f, 0.0f, 1.0f, 1.0f }, 0.35f);
        shape.addLineSegment ({ 1.0f, 0.0f, 0.0f, 1.0f }, 0.35f);
        return new WindowButton ("Close", shape);
    }

    if (buttonType == juce::DocumentWindow::minimiseButton)
    {
        shape.addLineSegment ({ 0.0f, 0.5f, 1.0f, 0.5f }, 0.25f);
        return new WindowButton ("Minimize", shape);
    }

    // No maximise button: the window has a fixed size.
    return nullptr;
}

void SonavelSkin::positionDocumentWindowButtons (juce::DocumentWindow&, int titleBarX, int,
                                                 int titleBarW, int titleBarH, juce::Button* minimiseButton,
                                                 juce::Button* maximiseButton, juce::Button* closeButton,
                                                 bool positionTitleBarButtonsOnLeft)
{
    const int size = (int) ((float) titleBarH * 0.7f);
    const int step = positionTitleBarButtonsOnLeft ? 1 : -1;
    int x = positionTitleBarButtonsOnLeft ? titleBarX + 4 : titleBarX + titleBarW - size - size / 4;

    if (closeButton != nullptr)
    {
        closeButton->setBounds (x, (titleBarH - size) / 2, size, size);
        x += step * (size + 3);
    }

    if (positionTitleBarButtonsOnLeft)
        std::swap (minimiseButton, maximiseButton);

    const int small = size - 2;
    const int top = (titleBarH - small) / 2;

    if (maximiseButton != nullptr)
    {
        maximiseButton->setBounds (x, top, small, small);
        x += step * (small + 3);
    }

    if (minimiseButton != nullptr)
        minimiseButton->setBounds (x, top, small, small);
}
