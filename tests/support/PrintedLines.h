#pragma once

#include <juce_core/juce_core.h>

#include <string>

// Diverts this process's standard output into a file for as long as it lives, so that a test can
// read the program's progress lines while they are still being printed (by any thread).
class PrintedLines final
{
public:
    PrintedLines();
    ~PrintedLines();

    PrintedLines (const PrintedLines&) = delete;
    PrintedLines& operator= (const PrintedLines&) = delete;

    // Everything printed so far, and its non-empty lines.
    std::string text() const;
    juce::StringArray lines() const;

    // Lines printed so far that start with the prefix.
    int countStartingWith (const juce::String& prefix) const;

private:
    std::string path;
    int savedStdout = -1;
};
