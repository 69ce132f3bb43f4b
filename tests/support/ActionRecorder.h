#pragma once

#include <juce_events/juce_events.h>

// Remembers every action message it hears, in order.
class ActionRecorder final : public juce::ActionListener
{
public:
    void actionListenerCallback (const juce::String& message) override { messages.add (message); }

    int count (const juce::String& message) const
    {
        int n = 0;
        for (const auto& m : messages)
            n += m == message ? 1 : 0;
        return n;
    }

    juce::StringArray messages;
};
