#include "LogCollector.h"

LogCollector& LogCollector::get()
{
    static LogCollector collector;
    return collector;
}

void LogCollector::logMessage (const juce::String& message)
{
    const std::lock_guard<std::mutex> lock (mutex);
    collected.add (message);
}

juce::StringArray LogCollector::lines() const
{
    const std::lock_guard<std::mutex> lock (mutex);
    return collected;
}

void LogCollector::clear()
{
    const std::lock_guard<std::mutex> lock (mutex);
    collected.clear();
}
