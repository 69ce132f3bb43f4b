#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Puts a component on the desktop and drives JUCE's main mouse through its window, so the
// component tree gets the same enter, move, exit and click events as from a real pointer.
class SyntheticPointer final
{
public:
    explicit SyntheticPointer (juce::Component& windowToUse)
        : window (windowToUse)
    {
        // The display's own pointer stays in a corner no test window reaches.
        juce::Desktop::setMousePosition ({ 1279, 1023 });
        window.setTopLeftPosition (0, 0);
        // Without a title bar JUCE tells the window manager to drop decorations through an atom that
        // a bare X server may lack, and X rejects it.
        window.addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        window.setVisible (true);
    }

    ~SyntheticPointer()
    {
        leave();
        window.removeFromDesktop();
    }

    SyntheticPointer (const SyntheticPointer&) = delete;
    SyntheticPointer& operator= (const SyntheticPointer&) = delete;

    void moveTo (juce::Component& target, juce::Point<int> position)
    {
        send (window.getLocalPoint (&target, position), {});
    }

    void click (juce::Component& target, juce::Point<int> position)
    {
        const auto inWindow = window.getLocalPoint (&target, position);
        send (inWindow, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
        send (inWindow, {});
    }

    // Out of the window altogether.
    void leave()
    {
        send ({ -50, -50 }, {});
    }

private:
    void send (juce::Point<int> inWindow, juce::ModifierKeys buttons)
    {
        if (auto* peer = window.getPeer())
            peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, inWindow.toFloat(), buttons,
                                    juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                    juce::Time::currentTimeMillis());
    }

    juce::Component& window;
};
