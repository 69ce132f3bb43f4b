#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

// The program's look: its own title bar and window buttons, the nine-step strip for horizontal
// sliders, picture spinners with digit-only value boxes, gold text-editor outlines, tooltips and
// menus (the device choosers' lists).
// Everything else keeps JUCE's classic light look, which the artwork is drawn to sit beside.
class SonavelSkin final : public juce::LookAndFeel_V2
{
public:
    static constexpr juce::uint32 gold = 0xFFB8955B;
    static constexpr juce::uint32 valueHighlight = 0x8AEDA634;

    // The artwork's inks, for what controls draw in code beside its pictures.
    static inline const juce::Colour goldInk { gold }, captionGold { 0xFFB5985A }, ink { 0xFF1E1E1E },
                                     grey { 0xFF5A5A5A };

    SonavelSkin();

    void drawTextEditorOutline (juce::Graphics& g, int width, int height, juce::TextEditor& editor) override;

    void drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle style, juce::Slider& slider) override;

    juce::Button* createSliderButton (juce::Slider& slider, bool isIncrement) override;
    juce::Label* createSliderTextBox (juce::Slider& slider) override;

    void drawDocumentWindowTitleBar (juce::DocumentWindow& window, juce::Graphics& g, int w, int h,
                                     int titleSpaceX, int titleSpaceW, const juce::Image* icon,
                                     bool drawTitleTextOnLeft) override;

    juce::Button* createDocumentWindowButton (int buttonType) override;

    juce::Font getPopupMenuFont() override;
    void drawPopupMenuBackground (juce::Graphics& g, int width, int height) override;

    void positionDocumentWindowButtons (juce::DocumentWindow& window, int titleBarX, int titleBarY,
                                        int titleBarW, int titleBarH, juce::Button* minimiseButton,
                                        juce::Button* maximiseButton, juce::Button* closeButton,
                                        bool positionTitleBarButtonsOnLeft) override;

private:
    std::array<juce::Image, 9> stepImages;
};
