#include "MouseHoverDetector.h"

MouseHoverDetector::MouseHoverDetector (int hoverTimeMilliseconds)
    : hoverTimeMs (hoverTimeMilliseconds)
{
}

MouseHoverDetector::~MouseHoverDetector()
{
    setHoverComponent (nullptr);
}

void MouseHoverDetector::setHoverTimeMillisecs (int milliseconds)
{
    hoverTimeMs = milliseconds;
}

void MouseHoverDetector::setHoverComponent (juce::Component* newSource)
{
    watcher.stopTimer();
    hasHovered = false;

    if (source.getComponent() == newSource)
        return;

    if (auto* old = source.getComponent())
        old->removeMouseListener (&watcher);

    source = newSource;

    // The source's own events only, so every position the watcher sees is the source's.
    if (newSource != nullptr)
        newSource->addMouseListener (&watcher, false);
}

void MouseHoverDetector::moveAway()
{
    if (hasHovered)
    {
        hasHovered = false;
        mouseMovedAwayFromPoint();
    }
}

MouseHoverDetector::Watcher::Watcher (MouseHoverDetector& detector)
    : owner (detector)
{
}

void MouseHoverDetector::Watcher::mouseEnter (const juce::MouseEvent& e)
{
    restAt (e.getPosition());
}

void MouseHoverDetector::Watcher::mouseMove (const juce::MouseEvent& e)
{
    restAt (e.getPosition());
}

void MouseHoverDetector::Watcher::mouseExit (const juce::MouseEvent&)
{
    stopTimer();
    owner.moveAway();
}

void MouseHoverDetector::Watcher::mouseDown (const juce::MouseEvent&)
{
    stopTimer();
    owner.moveAway();
}

void MouseHoverDetector::Watcher::mouseDrag (const juce::MouseEvent&)
{
    owner.moveAway();
}

void MouseHoverDetector::Watcher::restAt (juce::Point<int> position)
{
    // JUCE sends a move at the same spot whenever components appear or change under the
    // pointer (such as a hover's own bubble): that is no movement.
    if ((owner.hasHovered || isTimerRunning()) && position == restingPosition)
        return;

    owner.moveAway();
    restingPosition = position;
    startTimer (owner.hoverTimeMs);
}

void MouseHoverDetector::Watcher::timerCallback()
{
    stopTimer();

    // The pointer has not moved since restingPosition, or the timer would have been restarted.
    auto* sourceComponent = owner.getHoverComponent();

    if (sourceComponent != nullptr && sourceComponent->isShowing()
         && sourceComponent->reallyContains (restingPosition, false))
    {
        owner.hasHovered = true;
        owner.mouseHovered (restingPosition.x, restingPosition.y);
    }
}
