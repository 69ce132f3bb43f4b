#include "PictureCatalog.h"
#include "SonavelSkin.h"
#include "SpinnerButton.h"
#include "SpinnerLabel.h"

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

    // In a 15-pixel title bar 1000 wide starting at x 1 (inside the window's frame): close at the
    // bar's outer end, minimise beside it, both inside the bar; on the left when asked for.
    juce::DocumentWindow window ("w", juce::Colours::grey, 0, false);
    const juce::Rectangle<int> bar (1, 1, 1000, 15);
    skin.positionDocumentWindowButtons (window, 1, 1, 1000, 15, minimise.get(), nullptr, close.get(), false);
    EXPECT_TRUE (bar.contains (close->getBounds()));
    EXPECT_TRUE (bar.contains (minimise->getBounds()));
    EXPECT_GT (close->getX(), bar.getRight() - 20);
    EXPECT_LT (minimise->getRight(), close->getX());

    skin.positionDocumentWindowButtons (window, 1, 1, 1000, 15, minimise.get(), nullptr, close.get(), true);
    EXPECT_TRUE (bar.contains (close->getBounds()));
    EXPECT_LT (close->getRight(), bar.getX() + 20);
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
    juce::LookAndFeel_V2 plain;

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

namespace
{
    // A value box like the EQ calculator's Freq box.
    struct ValueBox
    {
        explicit ValueBox (SonavelSkin& skin)
        {
            slider.setLookAndFeel (&skin);
            slider.setTooltip ("Type or spin the desired frequency value...");
            slider.setRange (40.0, 280.0, 1.0);
            slider.setSliderStyle (juce::Slider::IncDecButtons);
            slider.setTextBoxStyle (juce::Slider::TextBoxLeft, false, 55, 27);
            slider.setBounds (382, 260, 80, 26);
            slider.setValue (100.0);
        }

        ~ValueBox() { slider.setLookAndFeel (nullptr); }

        template <typename Child>
        std::vector<Child*> children()
        {
            std::vector<Child*> found;
            for (auto* child : slider.getChildren())
                if (auto* c = dynamic_cast<Child*> (child))
                    found.push_back (c);
            return found;
        }

        juce::Slider slider;
    };

    juce::Image drawButton (SpinnerButton& button, bool over, bool down)
    {
        juce::Image image (juce::Image::ARGB, button.getWidth(), button.getHeight(), true);
        juce::Graphics g (image);
        button.paintButton (g, over, down);
        return image;
    }
}

TEST (SonavelSkin, SpinnerButtonsTakeNoKeyboardFocus)
{
    SonavelSkin skin;
    juce::Slider slider (juce::Slider::IncDecButtons, juce::Slider::TextBoxLeft);

    for (bool increment : { true, false })
    {
        std::unique_ptr<juce::Button> button (skin.createSliderButton (slider, increment));
        ASSERT_NE (dynamic_cast<SpinnerButton*> (button.get()), nullptr);
        EXPECT_FALSE (button->getWantsKeyboardFocus());
    }
}

TEST (SonavelSkin, ASpinnerSlidersBoxExplainsTheSliderAndItsButtonsExplainThemselves)
{
    SonavelSkin skin;
    ValueBox box (skin);

    const auto labels = box.children<SpinnerLabel>();
    const auto buttons = box.children<SpinnerButton>();
    ASSERT_EQ (labels.size(), 1u);
    ASSERT_EQ (buttons.size(), 2u);

    EXPECT_EQ (labels[0]->getTooltip(), "Type or spin the desired frequency value...");
    EXPECT_EQ (labels[0]->getText(), "100");
    for (auto* button : buttons)
        EXPECT_EQ (button->getTooltip(),
                   "Click, or drag horizontally, to adjust the value. Hold the Alt key for fine-grain adjustments.");
}

TEST (SonavelSkin, AValueBoxBeingEditedStartsAllSelectedAndTakesAtMostThreeCharactersOfANumber)
{
    SonavelSkin skin;
    ValueBox box (skin);
    box.slider.showTextBox();

    auto* editor = box.children<SpinnerLabel>().at (0)->getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getHighlightedRegion(), juce::Range<int> (0, 3));
    EXPECT_EQ (editor->getTooltip(), "Type or spin the desired frequency value...");

    editor->keyPressed (juce::KeyPress ('2', 0, '2'));
    EXPECT_EQ (editor->getText(), "2");

    for (auto refused : { 'a', '-', ' ', '+' })
        editor->keyPressed (juce::KeyPress (refused, 0, refused));
    EXPECT_EQ (editor->getText(), "2");

    editor->insertTextAtCaret ("5x0");
    EXPECT_EQ (editor->getText(), "250");

    editor->keyPressed (juce::KeyPress ('7', 0, '7'));
    editor->insertTextAtCaret ("12");
    EXPECT_EQ (editor->getText(), "250");

    box.slider.hideTextBox (false);
    EXPECT_EQ (box.slider.getValue(), 250.0);

    // A decimal point is taken, so that a typed 41.6 is rounded by the slider and not read as 416.
    box.slider.showTextBox();
    editor = box.children<SpinnerLabel>().at (0)->getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    editor->insertTextAtCaret ("41.6");
    EXPECT_EQ (editor->getText(), "41.");
    editor->setText ("");
    editor->insertTextAtCaret ("4.6");
    box.slider.hideTextBox (false);
    EXPECT_EQ (box.slider.getValue(), 40.0) << "4.6 lies below the range and is limited to it";
}

TEST (SonavelSkin, ARefusedKeyLeavesTheSelectedValueInTheBox)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "needs a display for the window the keys go to";

    SonavelSkin skin;
    ValueBox box (skin);
    box.slider.setTopLeftPosition (-2000, -2000);   // a real window, out of the pointer's way
    box.slider.addToDesktop (0);
    box.slider.setVisible (true);
    box.slider.showTextBox();

    auto* editor = box.children<SpinnerLabel>().at (0)->getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    editor->selectAll();
    editor->grabKeyboardFocus();

    // Through the window, as keys arrive from the keyboard.
    auto* peer = box.slider.getPeer();
    ASSERT_NE (peer, nullptr);
    for (auto refused : { 'x', 'A', '-', ' ' })
        peer->handleKeyPress (juce::KeyPress (refused, 0, refused));

    EXPECT_EQ (editor->getText(), "100");
    EXPECT_EQ (editor->getHighlightedRegion(), juce::Range<int> (0, 3)) << "still selected, ready to be typed over";

    peer->handleKeyPress (juce::KeyPress ('9', 0, '9'));
    EXPECT_EQ (editor->getText(), "9");

    box.slider.hideTextBox (false);
    EXPECT_EQ (box.slider.getValue(), 40.0) << "9 Hz is below the range";
    box.slider.removeFromDesktop();
}

TEST (SonavelSkin, ASpinnerArrowFillsItsButtonWithItsProportionsAndBrightensWhenUsed)
{
    SpinnerButton up (true);
    SpinnerButton down (false);
    up.setSize (40, 20);
    down.setSize (40, 20);

    const auto idle = drawButton (up, false, false);
    juce::Rectangle<int> drawn;
    for (int y = 0; y < idle.getHeight(); ++y)
        for (int x = 0; x < idle.getWidth(); ++x)
            if (idle.getPixelAt (x, y).getAlpha() != 0)
                drawn = drawn.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : drawn.getUnion ({ x, y, 1, 1 });

    EXPECT_EQ (drawn, juce::Rectangle<int> (3, 0, 34, 20));

    // The pictures are opaque: the opacity shows in the alpha of the middle of the arrow.
    EXPECT_NEAR (idle.getPixelAt (20, 10).getAlpha(), 0.8 * 255, 2.0);
    EXPECT_NEAR (drawButton (up, true, false).getPixelAt (20, 10).getAlpha(), 0.95 * 255, 2.0);
    EXPECT_EQ (drawButton (up, true, true).getPixelAt (20, 10).getAlpha(), 255);

    const auto upDown = drawButton (up, false, true);
    const auto downDown = drawButton (down, false, true);
    EXPECT_NE (upDown.getPixelAt (20, 3), downDown.getPixelAt (20, 3)) << "up and down look alike";
}
