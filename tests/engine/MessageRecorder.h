#pragma once

#include <juce_events/juce_events.h>

#include <vector>

// Listens to the engine the way the screens do, noting what the engine looked like at each message.
class MessageRecorder final : public juce::ActionListener
{
public:
    struct Received
    {
        juce::String text;
        bool engineTestRunning = false;
        int logLinesBefore = 0;
        double atMs = 0.0;
    };

    MessageRecorder();
    ~MessageRecorder() override;

    void actionListenerCallback (const juce::String& message) override;

    // Runs the message loop until text has arrived count times; false on timeout.
    bool waitFor (const juce::String& text, int count, int timeoutMs);

    int countOf (const juce::String& text) const;
    const std::vector<Received>& messages() const { return received; }

    // Runs the message loop for a while.
    static void pump (int milliseconds);

private:
    std::vector<Received> received;
};
