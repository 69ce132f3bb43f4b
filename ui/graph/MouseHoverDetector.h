#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Tells a subclass when the pointer has rested over a component for a while, and when it moves
// on again. The timer only runs between a move over the source and the hover (or the pointer
// leaving), so a pointer elsewhere costs nothing.
class MouseHoverDetector
{
public:
    explicit MouseHoverDetector (int hoverTimeMilliseconds = 400);
    virtual ~MouseHoverDetector();

    MouseHoverDetector (const MouseHoverDetector&) = delete;
    MouseHoverDetector& operator= (const MouseHoverDetector&) = delete;

    void setHoverTimeMillisecs (int milliseconds);

    // nullptr stops watching.
    void setHoverComponent (juce::Component* newSource);
    juce::Component* getHoverComponent() const noexcept { return source.getComponent(); }

    // True while a rest is being timed.
    bool isWaitingToHover() const noexcept { return watcher.isTimerRunning(); }

protected:
    // The pointer has rested at x, y (relative to the source) for the hover time.
    virtual void mouseHovered (int mouseX, int mouseY) = 0;

    // The pointer moved, left or was clicked after a hover.
    virtual void mouseMovedAwayFromPoint() = 0;

private:
    // A member rather than a base, so that a component deriving from this class keeps its own
    // mouse callbacks.
    class Watcher final : public juce::MouseListener,
                          private juce::Timer
    {
    public:
        explicit Watcher (MouseHoverDetector& owner);

        using juce::Timer::isTimerRunning;
        using juce::Timer::stopTimer;

        void mouseEnter (const juce::MouseEvent& e) override;
        void mouseMove (const juce::MouseEvent& e) override;
        void mouseExit (const juce::MouseEvent& e) override;
        void mouseDown (const juce::MouseEvent& e) override;
        void mouseDrag (const juce::MouseEvent& e) override;

    private:
        void restAt (juce::Point<int> position);
        void timerCallback() override;

        MouseHoverDetector& owner;
        juce::Point<int> restingPosition;
    };

    void moveAway();

    Watcher watcher { *this };
    juce::Component::SafePointer<juce::Component> source;
    int hoverTimeMs;
    bool hasHovered = false;
};
