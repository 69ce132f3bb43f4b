#pragma once

#include <juce_events/juce_events.h>

// JUCE 7 reads the X server's events only when its connection's socket turns readable. Xlib also
// takes events off that socket, into a queue of its own, whenever a call waits for a reply (a
// window's teardown, the tooltip window's pointer query): input that arrives meanwhile can end up
// there and then wait, unread, until the server sends something else. A click that nothing
// follows (a person waiting for its answer) is then never answered. This looks for such queued
// events twenty times a second and has JUCE handle them.
class QueuedInputWatch final : private juce::Timer
{
public:
    QueuedInputWatch();
    ~QueuedInputWatch() override;

private:
    // Hands events Xlib has queued to JUCE.
    void timerCallback() override;
};
