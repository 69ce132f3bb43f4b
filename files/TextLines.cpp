#include "TextLines.h"

bool TextLines::next (std::string_view& line)
{
    if (rest.empty())
        return false;

    const auto end = rest.find ('\n');
    line = rest.substr (0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr (end + 1);

    if (! line.empty() && line.back() == '\r')
        line.remove_suffix (1);

    ++lineNumber;
    return true;
}

std::string_view TextLines::trim (std::string_view text, std::string_view blanks)
{
    const auto first = text.find_first_not_of (blanks);

    if (first == std::string_view::npos)
        return {};

    return text.substr (first, text.find_last_not_of (blanks) - first + 1);
}
