// The floor for idle CPU: an empty JUCE window of the program's size, with a tooltip window, built
// from the same JUCE modules. The figures script sets the program's idle CPU beside this one's.

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    class EmptyWindow final : public juce::DocumentWindow
    {
    public:
        EmptyWindow()
            : juce::DocumentWindow ("Empty JUCE window", juce::Colour (0xFFD3D3D3),
                                    juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, true)
        {
            setTitleBarHeight (15);
            setUsingNativeTitleBar (false);
            setResizable (false, false);
            tooltips = std::make_unique<juce::TooltipWindow> (this);

            content.setSize (1000, 750);
            setContentNonOwned (&content, true);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);
        }

        ~EmptyWindow() override { clearContentComponent(); }

        void closeButtonPressed() override { juce::JUCEApplicationBase::quit(); }

    private:
        juce::Component content;
        std::unique_ptr<juce::TooltipWindow> tooltips;
    };

    class EmptyWindowApp final : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return "Empty JUCE window"; }
        const juce::String getApplicationVersion() override { return "1"; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override { window = std::make_unique<EmptyWindow>(); }
        void shutdown() override { window.reset(); }

    private:
        std::unique_ptr<EmptyWindow> window;
    };
}

START_JUCE_APPLICATION (EmptyWindowApp)
