#pragma once

#include <juce_core/juce_core.h>

#include <mutex>

// Keeps every log line written during a test; installed as the current logger by the test main.
class LogCollector final : public juce::Logger
{
public:
    static LogCollector& get();

    void logMessage (const juce::String& message) override;

    juce::StringArray lines() const;
    void clear();

private:
    mutable std::mutex mutex;
    juce::StringArray collected;
};
