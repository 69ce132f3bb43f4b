#pragma once

#include <juce_events/juce_events.h>

#include <functional>

// Runs the message loop of the calling (message) thread for a while, or until a condition holds.
inline void pumpMessages (int milliseconds = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

inline bool pumpMessagesUntil (const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        pumpMessages (10);
    }

    return true;
}
