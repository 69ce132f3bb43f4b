#pragma once

#include <juce_core/juce_core.h>

// How the program's sentences name a device or a file: in typographic quotes, “like this”.
class QuotedName final
{
public:
    static juce::String of (const juce::String& name)
    {
        return juce::String::fromUTF8 ("\xe2\x80\x9c") + name + juce::String::fromUTF8 ("\xe2\x80\x9d");
    }
};
