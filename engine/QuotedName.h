#pragma once

#include "QuotedText.h"

#include <juce_core/juce_core.h>

// QuotedText for the program's juce::String sentences.
class QuotedName final
{
public:
    static juce::String of (const juce::String& name) { return juce::String::fromUTF8 (QuotedText::of (name.toStdString()).c_str()); }
};
