#include "PrintedLines.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

PrintedLines::PrintedLines()
{
    char pattern[] = "/tmp/sonavel-printed.XXXXXX";
    const int file = mkstemp (pattern);

    if (file < 0)
        return;

    path = pattern;
    std::fflush (stdout);
    savedStdout = dup (STDOUT_FILENO);
    dup2 (file, STDOUT_FILENO);
    close (file);
}

PrintedLines::~PrintedLines()
{
    if (savedStdout < 0)
        return;

    std::fflush (stdout);
    dup2 (savedStdout, STDOUT_FILENO);
    close (savedStdout);
    unlink (path.c_str());
}

std::string PrintedLines::text() const
{
    std::fflush (stdout);
    std::ifstream file (path);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

juce::StringArray PrintedLines::lines() const
{
    auto all = juce::StringArray::fromLines (juce::String (text()));
    all.removeEmptyStrings();
    return all;
}

int PrintedLines::countStartingWith (const juce::String& prefix) const
{
    int count = 0;

    for (const auto& line : lines())
        count += line.startsWith (prefix) ? 1 : 0;

    return count;
}
