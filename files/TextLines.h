#pragma once

#include <string_view>

// The lines of a text file as the readers take them: split at '\n', with a '\r' before it dropped
// (a file that went through an editor elsewhere may end its lines in CR LF), counted from 1. A
// last '\n' ends the last line rather than starting an empty one.
class TextLines final
{
public:
    explicit TextLines (std::string_view text) : rest (text) {}

    // The next line; false at the end of the text.
    bool next (std::string_view& line);
    int number() const { return lineNumber; }

    // Blanks taken off both ends.
    static std::string_view trim (std::string_view text, std::string_view blanks = " \t\r");

private:
    std::string_view rest;
    int lineNumber = 0;
};
