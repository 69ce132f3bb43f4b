#include "DrawnTraces.h"
#include "EQCalculatorPopup.h"
#include "MessagePump.h"
#include "SonavelSkin.h"
#include "TempDlg.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    std::tuple<int, int, int> asTuple (const EqSettings& s) { return { s.qSetting, s.frequencyHz, s.depthSetting }; }

    std::tuple<int, int, int> boxes (const EQCalculatorPopup& calculator)
    {
        return { (int) calculator.getQSpinner().getValue(), (int) calculator.getFrequencySpinner().getValue(),
                 (int) calculator.getDepthSpinner().getValue() };
    }

    juce::Slider& knob (EQCalculatorPopup& calculator, int index)
    {
        return *dynamic_cast<juce::Slider*> (calculator.getSettingsWidget().getChildComponent (index));
    }

    // Types into a value box as a person does: open its editor, type, press return.
    void type (juce::Slider& box, const juce::String& text)
    {
        box.showTextBox();
        juce::TextEditor* editor = nullptr;
        for (auto* child : box.getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child))
                editor = label->getCurrentTextEditor();
        ASSERT_NE (editor, nullptr);
        editor->selectAll();   // as focusing the box does on screen
        editor->insertTextAtCaret (text);
        editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        pumpMessages (10);
    }

    // The frequency of the graph's deepest blue point.
    int dipFrequency (GraphView& graph)
    {
        const auto image = render (graph);
        int deepestX = -1, deepestY = -1;
        for (int x = 0; x < image.getWidth(); ++x)
            for (int y = image.getHeight() - 1; y > deepestY; --y)
                if (isBlue (image.getPixelAt (x, y)))
                {
                    deepestX = x;
                    deepestY = y;
                    break;
                }

        return graph.xToFrequency (deepestX);
    }

    // The calculator as the program shows it: made after the skin is in place.
    class Calculator : public testing::Test
    {
    protected:
        Calculator()
        {
            juce::LookAndFeel::setDefaultLookAndFeel (&skin);
            calculator = std::make_unique<EQCalculatorPopup>();
        }
        ~Calculator() override
        {
            calculator.reset();
            juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        }

        SonavelSkin skin;
        std::unique_ptr<EQCalculatorPopup> calculator;
    };
}

TEST_F (Calculator, OpensOnQOneFortyHertzDepthOneWithItsCurveAlreadyDrawn)
{
    EXPECT_EQ (calculator->getWidth(), 806);
    EXPECT_EQ (calculator->getHeight(), 569);
    EXPECT_EQ (boxes (*calculator), std::make_tuple (1, 40, 1));
    EXPECT_EQ (asTuple (calculator->getSettingsWidget().getSettings()), std::make_tuple (1, 40, 1));
    EXPECT_EQ (calculator->getNumCurveUpdates(), 1);
    EXPECT_EQ (calculator->getGraph().getName(), "GraphView");
    EXPECT_NEAR (dipFrequency (calculator->getGraph()), 40, 2);
}

TEST_F (Calculator, TypingIntoABoxTurnsItsKnobAndMovesTheDipWithoutEchoingBack)
{
    type (calculator->getFrequencySpinner(), "100");
    pumpMessages (20);

    EXPECT_EQ (boxes (*calculator), std::make_tuple (1, 100, 1));
    EXPECT_EQ (knob (*calculator, 1).getValue(), 100.0);
    EXPECT_EQ (knob (*calculator, 1).getTooltip(), "100");
    EXPECT_EQ (calculator->getNumCurveUpdates(), 2) << "one recomputation, no echo from the knob";
    EXPECT_NEAR (dipFrequency (calculator->getGraph()), 100, 3);
}

TEST_F (Calculator, TypedValuesAreRoundedToWholeStepsAndLimitedToTheRange)
{
    type (calculator->getQSpinner(), "7");
    EXPECT_EQ (calculator->getQSpinner().getValue(), 6.0);
    EXPECT_EQ (knob (*calculator, 0).getValue(), 6.0);

    type (calculator->getDepthSpinner(), "2.6");
    EXPECT_EQ (calculator->getDepthSpinner().getValue(), 3.0);
    EXPECT_EQ (knob (*calculator, 2).getValue(), 3.0);

    type (calculator->getFrequencySpinner(), "999");
    EXPECT_EQ (calculator->getFrequencySpinner().getValue(), 280.0);

    type (calculator->getFrequencySpinner(), "7");
    EXPECT_EQ (calculator->getFrequencySpinner().getValue(), 40.0);

    pumpMessages (20);
    EXPECT_EQ (asTuple (calculator->getLastSettings()), std::make_tuple (6, 40, 3));
}

TEST_F (Calculator, TurningAKnobSetsItsBoxAndRecomputesOnlyWhenTheWholeNumberChanges)
{
    auto& depth = knob (*calculator, 2);
    const int before = calculator->getNumCurveUpdates();

    depth.setValue (2.0, juce::sendNotificationSync);
    EXPECT_EQ (calculator->getDepthSpinner().getValue(), 2.0);
    EXPECT_EQ (calculator->getNumCurveUpdates(), before + 1);

    for (double value : { 2.3, 2.6, 2.9 })
        depth.setValue (value, juce::sendNotificationSync);
    EXPECT_EQ (calculator->getNumCurveUpdates(), before + 1) << "still depth step 2";
    EXPECT_EQ (calculator->getDepthSpinner().getValue(), 2.0);

    depth.setValue (3.0, juce::sendNotificationSync);
    EXPECT_EQ (calculator->getNumCurveUpdates(), before + 2);

    knob (*calculator, 1).setValue (120.7, juce::sendNotificationSync);
    EXPECT_EQ (calculator->getFrequencySpinner().getValue(), 120.0) << "the box shows the knob's whole number";
    EXPECT_NEAR (dipFrequency (calculator->getGraph()), 120, 4);
    pumpMessages (20);
    EXPECT_EQ (calculator->getNumCurveUpdates(), before + 3) << "no change echoed back from the boxes";
}

TEST_F (Calculator, TheDipNearTheTopOfTheRangeStaysOnTheGraphWhichEndsAtThreeHundredHertz)
{
    type (calculator->getFrequencySpinner(), "280");
    type (calculator->getDepthSpinner(), "6");

    auto& graph = calculator->getGraph();
    EXPECT_NEAR (dipFrequency (graph), 280, 8);
    EXPECT_EQ (graph.xToFrequency (graph.getWidth()), 300);
}

TEST_F (Calculator, ItsValueBoxesShowDarkDigitsOnALightBoxAndTheSelectionToTypeOver)
{
    auto& box = calculator->getFrequencySpinner();
    juce::Label* label = nullptr;
    for (auto* child : box.getChildren())
        label = label != nullptr ? label : dynamic_cast<juce::Label*> (child);
    ASSERT_NE (label, nullptr);

    const auto shown = label->createComponentSnapshot (label->getLocalBounds().reduced (2));
    const int all = shown.getWidth() * shown.getHeight();

    EXPECT_GT (countPixels (shown, [] (juce::Colour c) { return c.getPerceivedBrightness() > 0.9f; }), all / 2) << "a light box";
    EXPECT_GT (countPixels (shown, [] (juce::Colour c) { return c.getPerceivedBrightness() < 0.3f; }), 15) << "dark digits";

    box.showTextBox();
    auto* editor = label->getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    editor->selectAll();
    const auto selected = label->createComponentSnapshot (label->getLocalBounds().reduced (2));

    const auto tinted = [] (juce::Colour c) { return c.getSaturation() > 0.12f && c.getPerceivedBrightness() > 0.7f; };
    EXPECT_LT (countPixels (shown, tinted), 5);
    EXPECT_GT (countPixels (selected, tinted), 30) << "the selected number, ready to be typed over, shows on a tint of its own";
    box.hideTextBox (true);
}

TEST (EqCalculatorDialog, OpensCentredOverItsParentAsTheCalculatorsHeightAndClosesOnEscape)
{
    SonavelSkin skin;
    juce::LookAndFeel::setDefaultLookAndFeel (&skin);

    juce::Component parent;
    parent.setBounds (40, 30, 1000, 750);
    parent.addToDesktop (0);
    parent.setVisible (true);

    struct Seen
    {
        bool found = false;
        juce::Rectangle<int> bounds, content;
        int titleBar = 0;
        bool resizable = true;
        juce::String contentName;
        bool ownTooltips = false;
    } seen;

    // Looks at the dialog from inside its modal loop, then closes it as a person would.
    juce::Timer::callAfterDelay (300, [&seen]
    {
        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (auto* dialog = dynamic_cast<TempDlg*> (juce::Desktop::getInstance().getComponent (i)))
            {
                seen.found = true;
                seen.bounds = dialog->getScreenBounds();
                seen.titleBar = dialog->getTitleBarHeight();
                seen.resizable = dialog->isResizable();
                seen.content = dialog->getContentComponent()->getBounds();
                seen.contentName = typeid (*dialog->getContentComponent()).name();

                for (auto* child : dialog->getChildren())
                    seen.ownTooltips = seen.ownTooltips || dynamic_cast<juce::TooltipWindow*> (child) != nullptr;

                static_cast<juce::Component*> (dialog)->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
            }
    });

    const int result = showEqCalculator (&parent);
    EXPECT_EQ (result, 0);

    ASSERT_TRUE (seen.found);
    EXPECT_EQ (seen.bounds.getHeight(), 569);
    EXPECT_EQ (seen.titleBar, 20);
    EXPECT_FALSE (seen.resizable);
    EXPECT_TRUE (seen.ownTooltips) << "the main window's tooltips do not reach into the dialog";
    EXPECT_EQ (seen.content.getWidth(), 806);
    EXPECT_LT (seen.content.getHeight(), 569) << "the bottom strip of the picture is cut off";
    EXPECT_NEAR (seen.bounds.getCentreX(), parent.getScreenBounds().getCentreX(), 2);
    EXPECT_NEAR (seen.bounds.getCentreY(), parent.getScreenBounds().getCentreY(), 2);

    for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
        EXPECT_EQ (dynamic_cast<TempDlg*> (juce::Desktop::getInstance().getComponent (i)), nullptr) << "the dialog is gone";

    parent.removeFromDesktop();
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
