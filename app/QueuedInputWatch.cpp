// The X headers and JUCE's X window system, for the display and its lock.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "QueuedInputWatch.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace
{
    // Often enough that a stranded click is answered before a person would click again.
    constexpr int lookEveryMs = 50;
}

QueuedInputWatch::QueuedInputWatch()
{
    startTimer (lookEveryMs);
}

QueuedInputWatch::~QueuedInputWatch()
{
    stopTimer();
}

void QueuedInputWatch::timerCallback()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;

    if (display == nullptr)
        return;

    int queued = 0, connection = -1;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        auto* x = juce::X11Symbols::getInstance();
        queued = x->xEventsQueued (display, QueuedAlready);
        connection = x->xConnectionNumber (display);
    }

    // The same handler JUCE runs when the socket turns readable: it reads the queue first.
    if (queued > 0)
        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (connection);
}
