#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

// Feeds mouse moves and presses to a component's own window the way the windowing system does,
// so enter and exit calls reach the components under the mouse and their mouse listeners in
// JUCE's own order. The window lies beyond the visible screen, where the real pointer never
// goes, so nothing else moves this mouse. Needs a display: check hasDisplay() first.
// Like the real program, it ignores X errors: a bare X server without a window manager lacks
// atoms that JUCE sets on every window, and Xlib's own handler would end the test binary.
class PeerMouse final
{
public:
    static bool hasDisplay()
    {
        return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
    }

    explicit PeerMouse (juce::Component& windowContent);

    ~PeerMouse()
    {
        moveOutside();
        content.removeFromDesktop();
    }

    // To a point of the target, its centre by default.
    void moveTo (juce::Component& target, std::optional<juce::Point<int>> within = {})
    {
        const auto local = within.value_or (target.getLocalBounds().getCentre());
        position = content.getLocalPoint (&target, local).toFloat();
        send ({});
    }

    void moveOutside()
    {
        position = { -10.0f, -10.0f };
        send ({});
    }

    void press() { send (juce::ModifierKeys::leftButtonModifier); }
    void release() { send ({}); }

private:
    void send (juce::ModifierKeys buttons)
    {
        if (auto* peer = content.getPeer())
            peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, position, buttons,
                                    juce::MouseInputSource::defaultPressure,
                                    juce::MouseInputSource::defaultOrientation,
                                    juce::Time::currentTimeMillis());
    }

    juce::Component& content;
    juce::Point<float> position;
};
