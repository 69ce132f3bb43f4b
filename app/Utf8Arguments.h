#pragma once

#include <string_view>

// The program's arguments checked before JUCE converts them: Debian's JUCE 7 sizes its copy of
// an argument by decoding it and then copies the raw bytes, so an argument that is not valid
// UTF-8 (an overlong NUL, C0 80, followed by text) overflows its buffer. Plain C++, so that it
// is fuzzed without JUCE.
class Utf8Arguments final
{
public:
    // Shortest-form UTF-8 of code points up to U+10FFFF, no surrogates.
    static bool isValid (std::string_view text);

    // The first argument after the program's name that is not valid UTF-8 (1 for the first),
    // or 0 when all are.
    static int firstInvalid (int argc, const char* const* argv);
};
