#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

// Diverts this process's standard output into a file while it lives, so that a test can read the
// progress lines as they are printed, by any thread.
class PrintedLines final
{
public:
    PrintedLines() : file (juce::File::createTempFile ("printed")), saved (dup (STDOUT_FILENO))
    {
        std::fflush (stdout);
        const int fd = open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2 (fd, STDOUT_FILENO);
        close (fd);
    }

    ~PrintedLines()
    {
        std::fflush (stdout);
        dup2 (saved, STDOUT_FILENO);
        close (saved);
        file.deleteFile();
    }

    juce::String text() const
    {
        std::fflush (stdout);
        return file.loadFileAsString();
    }

    int countStartingWith (const juce::String& prefix) const
    {
        auto lines = juce::StringArray::fromLines (text());
        int count = 0;

        for (const auto& line : lines)
            count += line.startsWith (prefix) ? 1 : 0;

        return count;
    }

private:
    juce::File file;
    int saved;
};
