#include "PictureCatalog.h"
#include "SonavelSkin.h"

#include <gtest/gtest.h>

namespace
{
    juce::Image drawSlider (SonavelSkin& skin, juce::Slider& slider)
    {
        juce::Image image (juce::Image::ARGB, 281, 9, true);
        juce::Graphics g (image);
        skin.drawLinearSlider (g, 0, 0, 281, 9, 0.0f, 0.0f, 0.0f, slider.getSliderStyle(), slider);
        return image;
    }

    bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds())
            return false;

        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    bool isBlank (const juce::Image& image)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() != 0)
                    return false;

        return true;
    }
}

TEST (SonavelSkin, TitleBarGetsACloseAndAMinimiseButtonButNoMaximise)
{
    SonavelSkin skin;
    std::unique_ptr<juce::Button> close (skin.createDocumentWindowButton (juce::DocumentWindow::closeButton));
    std::unique_ptr<juce::Button> minimise (skin.createDocumentWindowButton (juce::DocumentWindow::minimiseButton));
    std::unique_ptr<juce::Button> maximise (skin.createDocumentWindowButton (juce::DocumentWindow::maximiseButton));

    ASSERT_NE (close, nullptr);
    ASSERT_NE (minimise, nullptr);
    EXPECT_EQ (maximise, nullptr);
    EXPECT_EQ (close->getName(), "Close");
    EXPECT_EQ (minimise->getName(), "Minimize");

    // A 15-pixel title bar 1000 wide starting at x 1 (inside the window's frame).
    juce::DocumentWindow window ("w", juce::Colours::grey, 0, false);
    skin.positionDocumentWindowButtons (window, 1, 1, 1000, 15, minimise.get(), nullptr, close.get(), false);
    EXPECT_EQ (close->getBounds(), juce::Rectangle<int> (1 + 1000 - 12, 2, 10, 10));
    EXPECT_EQ (minimise->getBounds(), juce::Rectangle<int> (1 + 1000 - 25, 3, 8, 8));

    skin.positionDocumentWindowButtons (window, 1, 1, 1000, 15, minimise.get(), nullptr, close.get(), true);
    EXPECT_EQ (close->getBounds(), juce::Rectangle<int> (5, 2, 10, 10));
}

TEST (SonavelSkin, HorizontalSlidersShowTheStripPictureOfTheirValue)
{
    SonavelSkin skin;
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setRange (0.0, 12.0, 0.0);

    slider.setValue (1.0);
    EXPECT_TRUE (samePixels (drawSlider (skin, slider), PictureCatalog::get (Picture::sliderStep1)));

    slider.setValue (5.7);
    EXPECT_TRUE (samePixels (drawSlider (skin, slider), PictureCatalog::get (Picture::sliderStep5)));

    for (double beyond : { 9.0, 10.0, 12.0 })
    {
        slider.setValue (beyond);
        EXPECT_TRUE (samePixels (drawSlider (skin, slider), PictureCatalog::get (Picture::sliderStep9))) << beyond;
    }

    slider.setValue (0.5);
    EXPECT_TRUE (isBlank (drawSlider (skin, slider)));
}

TEST (SonavelSkin, OtherSliderStylesKeepTheDefaultLook)
{
    SonavelSkin skin;
    juce::LookAndFeel_V4 plain;

    for (auto style : { juce::Slider::LinearVertical, juce::Slider::LinearBar })
    {
        juce::Slider slider (style, juce::Slider::NoTextBox);
        slider.setRange (1.0, 9.0, 0.0);
        slider.setValue (4.0);
        slider.setBounds (0, 0, 281, 9);

        juce::Image ours (juce::Image::ARGB, 281, 9, true);
        juce::Image theirs (juce::Image::ARGB, 281, 9, true);
        {
            juce::Graphics g (ours);
            skin.drawLinearSlider (g, 0, 0, 281, 9, 100.0f, 0.0f, 281.0f, style, slider);
        }
        {
            juce::Graphics g (theirs);
            plain.drawLinearSlider (g, 0, 0, 281, 9, 100.0f, 0.0f, 281.0f, style, slider);
        }
        EXPECT_TRUE (samePixels (ours, theirs)) << (int) style;
    }
}

TEST (SonavelSkin, TooltipsAreTranslucentGold)
{
    SonavelSkin skin;
    EXPECT_EQ (skin.findColour (juce::TooltipWindow::backgroundColourId).getARGB(), 0xCCB8955Bu);
}
