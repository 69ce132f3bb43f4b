#pragma once

#include <string>

// How the program's sentences name a device or a file: in typographic quotes, “like this”. UTF-8.
class QuotedText final
{
public:
    static std::string of (const std::string& text) { return "\xe2\x80\x9c" + text + "\xe2\x80\x9d"; }
};
