#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text that must stay on one line of a file of ours, whatever it holds (a file name with a line
// break, a device name with a tab): a backslash is written "\\", a line feed "\n", a carriage
// return "\r", a tab "\t", any other control character "\xHH". Every other byte is written as it
// is, so that the text reads back exactly.
class EscapedText final
{
public:
    static std::string escape (std::string_view text);

    // nullopt for an escape that escape() never writes.
    static std::optional<std::string> unescape (std::string_view text);
};
